// Counts vowels and consonants with sets of characters.
const
  Vowels = ['a', 'e', 'i', 'o', 'u', 'A', 'E', 'I', 'O', 'U'];
var
  letters: set of Char;
  text: string;
  i, v, c: Integer;
begin
  letters := ['A'..'Z', 'a'..'z'];
  text := 'Programming in Pascal is Fun!';
  v := 0;
  c := 0;
  for i := 1 to Length(text) do
    if text[i] in Vowels then
      Inc(v)
    else if text[i] in letters then
      Inc(c);
  Result := 'vowels: ' + IntToStr(v) + ', consonants: ' + IntToStr(c) + ', other: ' +
    IntToStr(Length(text) - v - c);
end.
