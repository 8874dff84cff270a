// Initials of the sender's name, given as the first parameter, and of a few fixed names.
function Initials(const name: string): string;
var
  i: Integer;
  start: Boolean;
begin
  Result := '';
  start := True;
  for i := 1 to Length(name) do
  begin
    if (name[i] = ' ') or (name[i] = '-') then
      start := True
    else if start then
    begin
      Result := Result + UpperCase(name[i]) + '.';
      start := False;
    end;
  end;
end;

begin
  Result := Initials(ParamStr(1)) + nl + Initials('jean-paul sartre') + nl + Initials('  Madonna ') +
    nl + '[' + Initials('') + ']';
end.
