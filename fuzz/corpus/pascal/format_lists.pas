// Format with bracketed argument lists: widths, precision, alignment, several types.
var
  s: string;
  i: Integer;
begin
  s := Format('%d + %d = %d', [2, 3, 2 + 3]) + nl;
  s := s + Format('[%5d] [%-5d] [%.4d] [%x] [%X] [%.4x]', [42, 42, 42, 255, 255, 10]) + nl;
  s := s + Format('[%s] [%8s] [%-8s] [%.3s]', ['abc', 'right', 'left', 'truncate']) + nl;
  s := s + Format('[%f] [%.1f] [%8.3f] [%-8.2f] [%.0f]', [3.14159, 2.25, -1.5, 7.125, 99.6]) + nl;
  s := s + Format('%d%% done, %s', [75, 'nearly']) + nl;
  s := s + Format('%1:s %0:s %1:s', ['world', 'hello']) + nl;
  s := s + Format('%*d|%-*d|', [6, 12, 4, 7]) + nl;
  for i := 1 to 3 do
    s := s + Format('%2d. %-7s%5.1f%%', [i, Copy('alphabetagamma', i * 4 - 3, 5), i * 12.5]) + nl;
  s := s + Format('no arguments', []) + nl + Format('%d %d', [-7, 0]);
  Result := s;
end.
