// Armstrong numbers below 10000 and perfect numbers below 10000.
function DigitCount(n: Integer): Integer;
begin
  Result := Length(IntToStr(n));
end;

function IsArmstrong(n: Integer): Boolean;
var
  m, k, sum, p, i: Integer;
begin
  k := DigitCount(n);
  m := n;
  sum := 0;
  while m > 0 do
  begin
    p := 1;
    for i := 1 to k do
      p := p * (m mod 10);
    sum := sum + p;
    m := m div 10;
  end;
  Result := sum = n;
end;

function IsPerfect(n: Integer): Boolean;
var
  d, sum: Integer;
begin
  sum := 1;
  d := 2;
  while d * d <= n do
  begin
    if n mod d = 0 then
    begin
      sum := sum + d;
      if d <> n div d then sum := sum + n div d;
    end;
    Inc(d);
  end;
  Result := (n > 1) and (sum = n);
end;

var
  n: Integer;
  a, p: string;
begin
  a := '';
  p := '';
  for n := 1 to 9999 do
  begin
    if IsArmstrong(n) then a := a + IntToStr(n) + ' ';
    if IsPerfect(n) then p := p + IntToStr(n) + ' ';
  end;
  Result := 'Armstrong: ' + Trim(a) + nl + 'perfect: ' + Trim(p);
end.
