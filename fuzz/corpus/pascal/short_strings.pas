// Short strings of a fixed capacity cut what is assigned to them.
type
  TCode = string[5];
var
  code: TCode;
  name: string[10];
  s: string;
begin
  code := 'ABCDEFGH';
  name := 'Konstantinopolis';
  s := code + ' ' + IntToStr(Length(code)) + nl + name + ' ' + IntToStr(Length(name)) + nl;
  code := 'xy';
  code := code + '1234567';
  s := s + code + nl;
  name := 'short';
  name[1] := 'S';
  Result := s + name + ' ' + IntToStr(Length(name));
end.
