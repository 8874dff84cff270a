// StrUtils: searching from a position, comparing without case, reversing, repeating, ends.
var
  s: string;
  p, count: Integer;
begin
  s := 'one, two, three, two, one';
  count := 0;
  p := PosEx('two', s, 1);
  while p > 0 do
  begin
    Inc(count);
    Result := Result + IntToStr(p) + ' ';
    p := PosEx('two', s, p + 1);
  end;
  Result := 'two at ' + Trim(Result) + ' (' + IntToStr(count) + ')' + nl;
  Result := Result + BoolToStr(ContainsText(s, 'THREE'), True) + ' ' +
    BoolToStr(ContainsStr(s, 'THREE'), True) + ' ' + BoolToStr(SameText('Mail', 'MAIL'), True) + ' ' +
    BoolToStr(StartsText('ONE', s), True) + ' ' + BoolToStr(EndsStr('one', s), True) + nl;
  Result := Result + ReverseString('stressed') + ' ' + DupeString('ab', 3) + ' ' +
    LeftStr('template', 4) + ' ' + RightStr('template', 5) + ' ' + MidStr('template', 3, 4) + nl;
  Result := Result + IntToStr(AnsiIndexText('beta', ['Alpha', 'BETA', 'gamma'])) + ' ' +
    BoolToStr(AnsiMatchText('Gamma', ['Alpha', 'BETA', 'gamma']), True) + ' ' +
    IfThen(Length(s) > 10, 'long', 'short') + ' ' + StuffString('abcdef', 2, 3, 'XY');
end.
