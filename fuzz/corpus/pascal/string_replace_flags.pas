// StringReplace with its set of flags.
const
  Text = 'The cat sat on the Cat mat; cat!';
begin
  Result := StringReplace(Text, 'cat', 'dog', []) + nl +
    StringReplace(Text, 'cat', 'dog', [rfReplaceAll]) + nl +
    StringReplace(Text, 'cat', 'dog', [rfReplaceAll, rfIgnoreCase]) + nl +
    StringReplace(Text, 'CAT', 'dog', [rfIgnoreCase]) + nl +
    StringReplace('a,b,,c', ',', ', ', [rfReplaceAll]) + nl +
    StringReplace('aaa', 'a', 'aa', [rfReplaceAll]) + nl +
    StringReplace('none here', 'xyz', '-', [rfReplaceAll]);
end.
