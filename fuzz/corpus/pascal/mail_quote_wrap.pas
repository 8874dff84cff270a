// Quotes a text for a reply: words wrapped at 72 characters, each line led by "> ".
function Wrap(const text: string; width: Integer): string;
var
  line, word: string;
  i: Integer;
begin
  Result := '';
  line := '';
  word := '';
  for i := 1 to Length(text) + 1 do
    if (i > Length(text)) or (text[i] = ' ') then
    begin
      if word = '' then Continue;
      if line = '' then
        line := word
      else if Length(line) + 1 + Length(word) <= width then
        line := line + ' ' + word
      else
      begin
        Result := Result + '> ' + line + #13#10;
        line := word;
      end;
      word := '';
    end
    else
      word := word + text[i];
  if line <> '' then Result := Result + '> ' + line + #13#10;
end;

begin
  Result := 'Anna wrote:' + #13#10 + Wrap('Thank you for the report you sent on Monday. I have read ' +
    'it twice and I think the figures for the third quarter need another look, because the totals ' +
    'do not match the table on page four. Could we talk about it on Thursday?', 72 - 2);
end.
