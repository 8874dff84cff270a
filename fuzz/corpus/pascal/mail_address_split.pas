// Splits mail addresses into user and domain; the second parameter is one of them.
procedure Split(const address: string; var user, domain: string);
var
  p: Integer;
begin
  p := LastDelimiter('@', address);
  if p = 0 then
  begin
    user := address;
    domain := '';
  end
  else
  begin
    user := Copy(address, 1, p - 1);
    domain := LowerCase(Copy(address, p + 1, Length(address)));
  end;
end;

function Describe(const address: string): string;
var
  user, domain: string;
begin
  Split(address, user, domain);
  if domain = '' then
    Result := address + ': no domain'
  else
    Result := address + ': user "' + user + '", domain "' + domain + '"';
end;

begin
  Result := Describe(ParamStr(2)) + nl + Describe('Ivan.Petrov@Mail.Example.RU') + nl +
    Describe('"odd@name"@example.org') + nl + Describe('postmaster');
end.
