// Puts names typed in any case into the usual form: capital first letters, Mc and O' kept.
function Capitalize(const name: string): string;
var
  i: Integer;
  up: Boolean;
begin
  Result := LowerCase(Trim(name));
  up := True;
  for i := 1 to Length(Result) do
  begin
    if up and (Result[i] in ['a'..'z']) then
      Result[i] := UpCase(Result[i]);
    up := Result[i] in [' ', '-', ''''];
    if (i >= 2) and (Copy(Result, i - 1, 2) = 'Mc') then up := True;
  end;
end;

begin
  Result := Capitalize('aNNA maria SMITH') + nl + Capitalize('  jean-luc picard ') + nl +
    Capitalize('SEAN o''connor') + nl + Capitalize('ronald mcdonald');
end.
