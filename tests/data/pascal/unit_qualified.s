@SCRIPT unit_qualified
@LANG PAS
// Routines named with their unit, as programs written for several compilers do.
program Qualified;
uses SysUtils, StrUtils, Math;
var
  s: string;
begin
  s := SysUtils.IntToStr(SysUtils.StrToInt('41') + 1) + BatUtils.nl;
  s := s + SysUtils.UpperCase(StrUtils.ReverseString('olleh')) + BatUtils.nl;
  s := s + SysUtils.IntToStr(Math.Max(3, 9)) + ' ' + SysUtils.FloatToStr(Math.Power(2, 10)) + BatUtils.nl;
  s := s + System.Copy('qualified', 1, 4) + SysUtils.Trim('  !  ');
  Result := s;
end.
