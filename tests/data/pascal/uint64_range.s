@SCRIPT uint64_range
@LANG PAS
// UInt64 at the top of its range: High(UInt64), arithmetic that wraps, div, mod and comparisons.
program Unsigned;
var
  top, half, u, v: UInt64;
  s: string;
begin
  top := High(UInt64);
  s := IntToStr(Low(UInt64)) + ' .. ' + UIntToStr(top) + nl;
  half := top div 2;
  s := s + UIntToStr(half) + ' ' + UIntToStr(top mod 10) + ' ' + UIntToStr(top div 1000000007) + nl;
  u := 18446744073709551615;
  if u = top then s := s + 'literal equals High' + nl;
  v := half + 1;
  if v > half then s := s + 'above half' + nl;
  if top > 9223372036854775807 then s := s + 'beyond Int64' + nl;
  u := top;
  u := u + 1;
  s := s + 'wrapped to ' + UIntToStr(u) + nl;
  u := 0;
  u := u - 1;
  s := s + 'back to ' + UIntToStr(u) + nl;
  u := 10000000000000000000;
  v := 3;
  s := s + UIntToStr(u * v) + ' ' + UIntToStr(u div v) + ' ' + UIntToStr(u mod v) + nl;
  s := s + UIntToStr(u shr 4) + ' ' + UIntToStr(top xor u) + nl;
  if u < top then s := s + 'ordered' + nl;
  Result := s + IntToStr(top div 3);
end.
