// Mutual recursion through a forward declaration: even and odd, and Hofstadter's F and M.
function IsOdd(n: Integer): Boolean; forward;

function IsEven(n: Integer): Boolean;
begin
  if n = 0 then Result := True else Result := IsOdd(n - 1);
end;

function IsOdd(n: Integer): Boolean;
begin
  if n = 0 then Result := False else Result := IsEven(n - 1);
end;

function M(n: Integer): Integer; forward;

function F(n: Integer): Integer;
begin
  if n = 0 then Result := 1 else Result := n - M(F(n - 1));
end;

function M(n: Integer): Integer;
begin
  if n = 0 then Result := 0 else Result := n - F(M(n - 1));
end;

var
  i: Integer;
  s, f_, m_: string;
begin
  s := '';
  for i := 0 to 7 do
    if IsEven(i) then s := s + IntToStr(i) + ' even, ' else s := s + IntToStr(i) + ' odd, ';
  f_ := '';
  m_ := '';
  for i := 0 to 12 do
  begin
    f_ := f_ + IntToStr(F(i)) + ' ';
    m_ := m_ + IntToStr(M(i)) + ' ';
  end;
  Result := s + nl + 'F: ' + Trim(f_) + nl + 'M: ' + Trim(m_) + nl + BoolToStr(IsOdd(101), True);
end.
