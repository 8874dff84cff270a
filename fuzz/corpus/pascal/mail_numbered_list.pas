// A numbered list from a semicolon-separated text, numbers right-aligned.
var
  items, item: string;
  p, n: Integer;
begin
  items := 'agenda;minutes of the last meeting; budget 2027;;staffing;travel;holidays;' +
    'office move;any other business;closing;coffee';
  Result := '';
  n := 0;
  while items <> '' do
  begin
    p := Pos(';', items);
    if p = 0 then p := Length(items) + 1;
    item := Trim(Copy(items, 1, p - 1));
    Delete(items, 1, p);
    if item = '' then Continue;
    Inc(n);
    Result := Result + Format('%2d. %s', [n, item]) + nl;
  end;
  Result := Result + IntToStr(n) + ' items';
end.
