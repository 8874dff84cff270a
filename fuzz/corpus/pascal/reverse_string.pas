// Reverses a string by hand, then each word of a sentence in place.
function Reverse(const s: string): string;
var
  i: Integer;
begin
  Result := '';
  for i := Length(s) downto 1 do
    Result := Result + s[i];
end;

var
  sentence, word, line: string;
  i: Integer;
begin
  Result := Reverse('Hello, World!') + nl;
  sentence := 'the quick brown fox';
  line := '';
  word := '';
  for i := 1 to Length(sentence) do
    if sentence[i] = ' ' then
    begin
      line := line + Reverse(word) + ' ';
      word := '';
    end
    else
      word := word + sentence[i];
  line := line + Reverse(word);
  Result := Result + line + nl + Reverse('');
  Result := Result + '[' + Reverse('a') + ']';
end.
