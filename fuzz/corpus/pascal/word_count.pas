// Counts words (runs of letters, digits and apostrophes) and finds the longest.
function IsWordChar(c: Char): Boolean;
begin
  Result := c in ['A'..'Z', 'a'..'z', '0'..'9', ''''];
end;

var
  text, word, longest: string;
  i, words: Integer;
begin
  text := 'It''s a truth universally acknowledged -- that a single man, in possession ' +
    'of a good fortune, must be in want of a wife.';
  words := 0;
  word := '';
  longest := '';
  for i := 1 to Length(text) + 1 do
    if (i <= Length(text)) and IsWordChar(text[i]) then
      word := word + text[i]
    else if word <> '' then
    begin
      Inc(words);
      if Length(word) > Length(longest) then longest := word;
      word := '';
    end;
  Result := IntToStr(words) + ' words, longest "' + longest + '"';
end.
