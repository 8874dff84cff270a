// Caesar cipher: letters shift by a key, everything else stays.
function Shift(const s: string; key: Integer): string;
var
  i: Integer;
  c: Char;
begin
  Result := s;
  key := ((key mod 26) + 26) mod 26;
  for i := 1 to Length(s) do
  begin
    c := s[i];
    case c of
      'A'..'Z': Result[i] := Chr(Ord('A') + (Ord(c) - Ord('A') + key) mod 26);
      'a'..'z': Result[i] := Chr(Ord('a') + (Ord(c) - Ord('a') + key) mod 26);
    end;
  end;
end;

var
  plain, secret: string;
begin
  plain := 'Attack at Dawn, Zebra!';
  secret := Shift(plain, 3);
  Result := secret + nl + Shift(secret, -3) + nl + Shift('xyz', 29);
end.
