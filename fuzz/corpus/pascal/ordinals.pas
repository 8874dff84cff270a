// Ord, Chr, Succ, Pred, Inc and Dec over characters, booleans, enumerations and integers.
type
  TSize = (Small, Medium, Large, Huge);
var
  c: Char;
  b: Boolean;
  size: TSize;
  n: Integer;
  w: Byte;
begin
  c := 'a';
  Inc(c);
  Inc(c, 2);
  Result := c + ' ' + IntToStr(Ord(c)) + ' ' + Chr(Ord(c) - 32) + ' ' + Succ('y') + Pred('b') + nl;
  b := False;
  Result := Result + BoolToStr(Succ(b), True) + ' ' + IntToStr(Ord(True)) + ' ' + IntToStr(Ord(b)) + nl;
  size := Small;
  Inc(size, 2);
  Result := Result + IntToStr(Ord(size)) + ' ' + IntToStr(Ord(Pred(size))) + ' ' +
    IntToStr(Ord(High(TSize))) + nl;
  Dec(size);
  if size = Medium then Result := Result + 'back to Medium' + nl;
  n := 10;
  Dec(n, 15);
  Inc(n);
  w := 200;
  Inc(w, 50);
  Result := Result + IntToStr(n) + ' ' + IntToStr(Succ(n)) + ' ' + IntToStr(Pred(0)) + ' ' +
    IntToStr(w) + ' ' + IntToStr(Ord('0')) + ' ' + Chr(65) + #66 + #$43;
end.
