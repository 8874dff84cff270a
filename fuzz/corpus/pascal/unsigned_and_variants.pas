var u, w: UInt64; v, x: Variant; i: Int64;
begin
  u := High(UInt64);
  w := u div 3 + 18446744073709551615 mod 7;
  i := u;
  v := '12.5';
  x := 4;
  v := v * x + True - '3';
  if (v > '40') and (x <> 'a4') then v := v div 2;
  x := u;
  Result := IntToStr(w) + ' ' + IntToStr(i) + ' ' + (x + 1) + ' ' + v;
  v := 'no number';
  Result := Result + (v - 1);
end.
