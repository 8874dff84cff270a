function Fib(n: Integer): Integer;
begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2) end;
function Half(d: Double): Double; begin Result := d / 2 end;
var d: Double; c: Cardinal; k: Integer; s: String;
begin
  d := 1.5; k := 2147483647; c := 0;
  if d < 2 then k := k + 1;
  c := c + -1;
  s := 'abc'; k := 2;
  Result := IntToStr(Fib(12)) + s[k] + s[k + 1] + FloatToStr(Half(3)) + IntToStr(c)
end.
