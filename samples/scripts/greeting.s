@SCRIPT Greeting
@LANG PAS
// FNGREETING("name") or S("greeting", "name"): a greeting for the first parameter.
var who: String;
begin
  who := Trim(ParamStr(1));
  if who = '' then who := 'friend';
  Result := 'Hello, ' + who + '!' + nl + 'Parameters given: ' + IntToStr(ParamCount)
end.
