// Exception classes of the script's own, caught by class; the first matching handler wins.
type
  EValidation = class(Exception);
  ETooLong = class(EValidation);
  EEmpty = class(EValidation);

procedure Validate(const name: string);
begin
  if name = '' then
    raise EEmpty.Create('name is empty');
  if Length(name) > 8 then
    raise ETooLong.CreateFmt('name "%s" has %d characters', [name, Length(name)]);
  if name[1] = '_' then
    raise Exception.Create('name starts with an underscore');
end;

function Check(const name: string): string;
begin
  try
    Validate(name);
    Result := 'ok';
  except
    on E: ETooLong do
      Result := 'too long: ' + E.Message;
    on E: EValidation do
      Result := E.ClassName + ': ' + E.Message;
    on E: Exception do
      Result := 'other ' + E.ClassName + ': ' + E.Message;
  end;
end;

begin
  Result := Check('anna') + nl + Check('') + nl + Check('alexandra') + nl + Check('_x');
end.
