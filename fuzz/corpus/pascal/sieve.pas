// Sieve of Eratosthenes up to 100.
const
  Limit = 100;
var
  composite: array[2..Limit] of Boolean;
  i, j, count: Integer;
  s: string;
begin
  for i := 2 to Limit do
    composite[i] := False;
  i := 2;
  while i * i <= Limit do
  begin
    if not composite[i] then
    begin
      j := i * i;
      while j <= Limit do
      begin
        composite[j] := True;
        Inc(j, i);
      end;
    end;
    Inc(i);
  end;
  s := '';
  count := 0;
  for i := 2 to Limit do
    if not composite[i] then
    begin
      if s <> '' then s := s + ' ';
      s := s + IntToStr(i);
      Inc(count);
    end;
  Result := s + nl + IntToStr(count) + ' primes';
end.
