// Math: powers, rounding in its several kinds, minimum and maximum, sums over arrays.
const
  Data: array[0..3] of Double = (1.5, 8.25, -3, 2);
var
  s: string;
  x, y: Double;
begin
  x := 2.5;
  y := 1.5;
  s := FloatToStr(Power(2, 10)) + ' ' + FloatToStr(Power(9, 0.5)) + ' ' + FloatToStr(IntPower(3, 4)) + nl;
  s := s + IntToStr(Floor(2.7)) + ' ' + IntToStr(Floor(-2.3)) + ' ' + IntToStr(Ceil(2.1)) + ' ' +
    IntToStr(Ceil(-2.9)) + ' ' + IntToStr(Trunc(-2.9)) + ' ' + IntToStr(Round(3.7)) + nl;
  s := s + IntToStr(Round(2.5)) + ' ' + IntToStr(Round(3.5)) + ' ' + IntToStr(Round(-2.5)) + nl;
  s := s + FloatToStr(RoundTo(3.14159, -2)) + ' ' + FloatToStr(RoundTo(1234.5678, 2)) + ' ' +
    FloatToStr(SimpleRoundTo(2.71828, -3)) + nl;
  s := s + IntToStr(Max(3, 9)) + ' ' + IntToStr(Min(-3, 9)) + ' ' + FloatToStr(Max(x, y)) + ' ' +
    FloatToStr(MaxValue(Data)) + ' ' + FloatToStr(MinValue(Data)) + ' ' +
    FloatToStr(Sum(Data)) + ' ' + FloatToStr(Mean(Data)) + nl;
  s := s + FloatToStr(Sqrt(2)) + ' ' + FloatToStr(Sqr(1.5)) + ' ' + IntToStr(Abs(-17)) + ' ' +
    FloatToStr(Frac(5.25)) + ' ' + FloatToStr(Int(-5.75)) + ' ' + FloatToStr(Log10(1000)) + nl;
  s := s + BoolToStr(InRange(5, 1, 10), True) + ' ' + IntToStr(EnsureRange(15, 1, 10)) + ' ' +
    IntToStr(Sign(y - x * 3)) + ' ' + FloatToStr(Hypot(x + 0.5, y + 2.5)) + ' ' + IntToStr(10 mod 3) + ' ' + FloatToStr(Pi);
  Result := s;
end.
