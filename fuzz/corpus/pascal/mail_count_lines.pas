// Counts the lines of a text and numbers them; CR LF, LF and CR all end a line.
function NumberLines(const text: string; var count: Integer): string;
var
  i: Integer;
  line: string;
begin
  Result := '';
  count := 0;
  line := '';
  i := 1;
  while i <= Length(text) do
  begin
    if (text[i] = #13) or (text[i] = #10) then
    begin
      Inc(count);
      Result := Result + Format('%3d: %s', [count, line]) + sLineBreak;
      line := '';
      if (text[i] = #13) and (i < Length(text)) and (text[i + 1] = #10) then Inc(i);
    end
    else
      line := line + text[i];
    Inc(i);
  end;
  if line <> '' then
  begin
    Inc(count);
    Result := Result + Format('%3d: %s', [count, line]) + sLineBreak;
  end;
end;

var
  n: Integer;
  body: string;
begin
  body := 'Dear colleagues,' + #13#10 + #13#10 + 'the meeting moves to room 4.' + #10 +
    'Bring your notes.' + #13 + 'Thanks';
  body := NumberLines(body, n);
  Result := body + IntToStr(n) + ' lines';
end.
