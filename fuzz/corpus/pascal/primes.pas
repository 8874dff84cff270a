// Primes by trial division: the first 25, and the prime factors of a few numbers.
function IsPrime(n: Cardinal): Boolean;
var
  d: Cardinal;
begin
  if n < 2 then
  begin
    Result := False;
    Exit;
  end;
  Result := True;
  d := 2;
  while d * d <= n do
  begin
    if n mod d = 0 then
    begin
      Result := False;
      Break;
    end;
    Inc(d);
  end;
end;

function Factors(n: LongInt): string;
var
  d: LongInt;
begin
  Result := '';
  d := 2;
  while n > 1 do
  begin
    while n mod d = 0 do
    begin
      if Result <> '' then Result := Result + '*';
      Result := Result + IntToStr(d);
      n := n div d;
    end;
    Inc(d);
  end;
end;

var
  n, found: Integer;
  s: string;
begin
  s := '';
  found := 0;
  n := 1;
  while found < 25 do
  begin
    Inc(n);
    if IsPrime(n) then
    begin
      Inc(found);
      s := s + IntToStr(n) + ' ';
    end;
  end;
  Result := TrimRight(s) + nl + '360 = ' + Factors(360) + nl + '9973 = ' + Factors(9973) + nl +
    '1001 = ' + Factors(1001);
end.
