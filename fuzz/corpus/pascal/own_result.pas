// A script that declares its own Result variable, as programs written for a console do.
program Summary;
var
  Result: string;
  i, total: Integer;
begin
  total := 0;
  for i := 1 to 10 do
    total := total + i;
  Result := 'The sum of 1..10 is ' + IntToStr(total);
end.
