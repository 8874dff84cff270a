// Folds the "Re:" prefixes of a subject into one counted "Re[n]:", as a reply template does.
function StripRe(var s: string): Integer;
var
  p, n: Integer;
begin
  Result := 0;
  s := TrimLeft(s);
  while True do
    if SameText(Copy(s, 1, 3), 'Re:') then
    begin
      Inc(Result);
      s := TrimLeft(Copy(s, 4, MaxInt));
    end
    else if SameText(Copy(s, 1, 3), 'Re[') then
    begin
      p := Pos(']:', s);
      if p = 0 then Exit;
      n := StrToIntDef(Copy(s, 4, p - 4), -1);
      if n < 0 then Exit;
      Inc(Result, n);
      s := TrimLeft(Copy(s, p + 2, MaxInt));
    end
    else
      Exit;
end;

function FoldedSubject(subject: string): string;
var
  n: Integer;
begin
  n := StripRe(subject);
  if n = 0 then
    Result := subject
  else if n = 1 then
    Result := 'Re: ' + subject
  else
    Result := 'Re[' + IntToStr(n) + ']: ' + subject;
end;

const
  Subjects: array[1..6] of string = ('Lunch?', 'Re: Lunch?', 'Re: Re: x', 'RE: re:Re: budget',
    'Re[3]: Re: plans', 'Re[oops]: odd');
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 6 do
    Result := Result + Subjects[i] + ' -> ' + FoldedSubject(Subjects[i]) + nl;
end.
