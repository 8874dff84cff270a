@SCRIPT variants_mixed
@LANG PAS
// Variants holding integers, floats, strings, booleans and dates, mixed in arithmetic and
// comparisons.
program Mixed;
uses SysUtils, Variants;
var
  a, b, c: Variant;
  n: Integer;
  s: string;
begin
  n := 12;
  a := n;
  b := '30';
  s := VarToStr(a + b) + ' ' + IntToStr(VarType(a + b)) + nl;
  b := 'x';
  s := s + VarToStr(b + 'y') + VarToStr(a) + nl;
  a := 2.5;
  s := s + VarToStr(a * 4) + ' ' + IntToStr(VarType(a)) + nl;
  a := True;
  s := s + VarToStr(a) + ' ' + IntToStr(VarType(a)) + nl;
  a := '100';
  b := 99;
  if a > b then s := s + 'string 100 > 99' + nl;
  if a = 100 then s := s + 'string equals number' + nl;
  a := 'apple';
  b := 'banana';
  if a < b then s := s + 'apple < banana' + nl;
  a := Null;
  s := s + BoolToStr(VarIsNull(a), True) + ' [' + VarToStr(a) + '] ' + IntToStr(VarType(a)) + nl;
  c := a + 1;
  s := s + BoolToStr(VarIsNull(c), True) + nl;
  a := Unassigned;
  s := s + BoolToStr(VarIsEmpty(a), True) + ' ' + IntToStr(VarType(a)) + nl;
  a := EncodeDate(2024, 2, 28);
  a := a + 2;
  s := s + FormatDateTime('yyyy-mm-dd', a) + ' ' + IntToStr(VarType(a)) + nl;
  a := '7';
  b := '2';
  s := s + VarToStr(a + b) + ' ' + VarToStr(a - b) + ' ' + VarToStr(a * b) + nl;
  a := 'seven';
  try
    c := a * 2;
  except
    on E: EVariantError do s := s + 'not a number' + nl;
  end;
  a := '250';
  n := a;
  s := s + IntToStr(n + 1) + ' ';
  a := 3.5;
  n := a;
  s := s + IntToStr(n) + ' ';
  a := 42;
  s := s + Copy(VarToStr(a), 2, 1) + nl;
  n := 17;
  a := n;
  s := s + VarToStr(a div 5) + ' ' + VarToStr(a mod 5) + ' ' + VarToStr(a / 4);
  Result := s;
end.
