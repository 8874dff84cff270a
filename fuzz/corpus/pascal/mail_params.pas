// Lists the parameters of the macro call; a number among them is added up.
var
  i, total: Integer;
begin
  Result := IntToStr(ParamCount) + ' parameters' + nl;
  total := 0;
  for i := 1 to ParamCount do
  begin
    Result := Result + Format('%d: "%s"', [i, ParamStr(i)]) + nl;
    total := total + StrToIntDef(ParamStr(i), 0);
  end;
  Result := Result + 'numbers add up to ' + IntToStr(total) + nl + 'beyond the last: "' +
    ParamStr(ParamCount + 1) + '"';
end.
