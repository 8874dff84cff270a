program Temperatures(input, output);
{ A classic program with a heading naming its files: a table of temperatures. }
const
  Low_ = -10;
  High_ = 40;
  Step = 10;
var
  c: Integer;
  f: Real;
begin
  Result := 'Celsius  Fahrenheit' + nl;
  c := Low_;
  while c <= High_ do
  begin
    f := c * 9 / 5 + 32;
    Result := Result + Format('%7d  %10.1f', [c, f]) + nl;
    c := c + Step;
  end;
end.
