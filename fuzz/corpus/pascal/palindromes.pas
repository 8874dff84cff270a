// Palindromes, ignoring case, spaces and punctuation.
function IsPalindrome(const s: string): Boolean;
var
  letters: string;
  i, j: Integer;
begin
  letters := '';
  for i := 1 to Length(s) do
    if s[i] in ['A'..'Z', 'a'..'z', '0'..'9'] then
      letters := letters + LowerCase(s[i]);
  Result := True;
  i := 1;
  j := Length(letters);
  while i < j do
  begin
    if letters[i] <> letters[j] then
    begin
      Result := False;
      Exit;
    end;
    Inc(i);
    Dec(j);
  end;
end;

const
  Phrases: array[1..6] of string = ('racecar', 'A man, a plan, a canal: Panama!', 'hello',
    'Was it a car or a cat I saw?', '', '12321x');
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 6 do
    Result := Result + '"' + Phrases[i] + '" ' + BoolToStr(IsPalindrome(Phrases[i]), True) + nl;
end.
