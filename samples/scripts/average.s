@SCRIPT Average
@LANG PAS
// FNAVERAGE("3", "4", "8"): the sum and the average of whole numbers.
var i: Integer; sum: Double;
begin
  sum := 0;
  for i := 1 to ParamCount do
    sum := sum + StrToInt(ParamStr(i));
  if ParamCount = 0 then
    Result := 'No numbers given'
  else
    Result := 'Sum ' + FloatToStr(sum) + ', average ' + FloatToStr(sum / ParamCount)
end.
