// The floating type names; text forms of floating values.
var
  r: Real;
  d: Double;
  sg: Single;
  e: Extended;
begin
  r := 1 / 4;
  d := 22 / 7;
  sg := 0.5;
  e := 2.5e10;
  Result := FloatToStr(r) + ' ' + Format('%.6f', [d]) + ' ' + FloatToStr(sg * 3) + ' ' +
    FloatToStr(e) + nl;
  Result := Result + FloatToStr(0.1 + 0.2) + ' ' + FloatToStr(1e20) + ' ' + FloatToStr(1.5e-7) + ' ' +
    FloatToStr(100) + ' ' + FloatToStr(-0.75) + nl;
  Result := Result + FormatFloat('0.000', d) + ' ' + FormatFloat('#,##0.00', 1234567.891) + ' ' +
    FormatFloat('0.##', 2.5) + ' ' + FormatFloat('000', 7) + ' ' + FloatToStrF(d, ffFixed, 8, 2) + nl;
  Result := Result + IntToStr(Trunc(d * 1000)) + ' ' + IntToStr(Round(e / 1e9));
end.
