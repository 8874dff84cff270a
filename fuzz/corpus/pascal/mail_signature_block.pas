// A signature block with the labels padded to one width.
procedure AddLine(var block: string; const caption, value: string);
begin
  if value <> '' then
    block := block + Format('%-10s%s', [caption + ':', value]) + nl;
end;

var
  block: string;
begin
  block := '-- ' + nl;
  AddLine(block, 'Name', 'Anna Maria Smith');
  AddLine(block, 'Position', 'Head of Accounts');
  AddLine(block, 'Phone', '+7 495 123-45-67');
  AddLine(block, 'Fax', '');
  AddLine(block, 'E-mail', 'anna.smith@example.com');
  AddLine(block, 'Web', 'https://example.com');
  Result := block + StringOfChar('=', 40);
end.
