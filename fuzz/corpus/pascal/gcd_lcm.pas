// Greatest common divisor (Euclid, recursive and iterative) and least common multiple.
function Gcd(a, b: Integer): Integer;
begin
  if b = 0 then Result := a else Result := Gcd(b, a mod b);
end;

function GcdLoop(a, b: Integer): Integer;
var
  t: Integer;
begin
  while b <> 0 do
  begin
    t := a mod b;
    a := b;
    b := t;
  end;
  Result := a;
end;

function Lcm(a, b: Integer): Int64;
begin
  Result := Int64(a) div Gcd(a, b) * b;
end;

var
  r: Int64;
  i: Integer;
begin
  Result := 'gcd(48, 18) = ' + IntToStr(Gcd(48, 18)) + nl +
    'gcd(17, 5) = ' + IntToStr(GcdLoop(17, 5)) + nl +
    'gcd(0, 9) = ' + IntToStr(Gcd(0, 9)) + nl +
    'lcm(4, 6) = ' + IntToStr(Lcm(4, 6)) + nl +
    'lcm(21, 6) = ' + IntToStr(Lcm(21, 6)) + nl;
  r := 1;
  for i := 1 to 20 do
    r := r div GcdLoop(r mod i, i) * i;
  Result := Result + 'lcm(1..20) = ' + IntToStr(r);
end.
