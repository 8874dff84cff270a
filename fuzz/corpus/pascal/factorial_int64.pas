// Factorials in Int64, recursive and iterative, up to 20! (the largest that fits).
function Fact(n: Integer): Int64;
begin
  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);
end;

var
  i: Integer;
  f: Int64;
begin
  Result := '';
  f := 1;
  for i := 1 to 20 do
  begin
    f := f * i;
    if (i <= 5) or (i >= 18) then
      Result := Result + IntToStr(i) + '! = ' + IntToStr(f) + nl;
  end;
  if f = Fact(20) then Result := Result + 'both agree';
end.
