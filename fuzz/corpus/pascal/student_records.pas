// Records of students: each one's average and grade, the class's best and its average.
type
  TStudent = record
    Name: string;
    Marks: array[1..4] of Integer;
  end;

function Average(const s: TStudent): Double;
var
  i, sum: Integer;
begin
  sum := 0;
  for i := 1 to 4 do
    sum := sum + s.Marks[i];
  Result := sum / 4;
end;

function Grade(avg: Double): Char;
begin
  if avg >= 90 then Result := 'A'
  else if avg >= 75 then Result := 'B'
  else if avg >= 60 then Result := 'C'
  else Result := 'F';
end;

procedure SetStudent(var s: TStudent; const name: string; m1, m2, m3, m4: Integer);
begin
  s.Name := name;
  s.Marks[1] := m1;
  s.Marks[2] := m2;
  s.Marks[3] := m3;
  s.Marks[4] := m4;
end;

var
  students: array[1..4] of TStudent;
  i, best: Integer;
  total: Double;
begin
  SetStudent(students[1], 'Alice', 92, 88, 95, 90);
  SetStudent(students[2], 'Bob', 70, 65, 80, 72);
  SetStudent(students[3], 'Chen', 55, 61, 48, 59);
  SetStudent(students[4], 'Dasha', 85, 91, 78, 88);
  Result := '';
  total := 0;
  best := 1;
  for i := 1 to 4 do
  begin
    Result := Result + Format('%-6s %6.2f %s', [students[i].Name, Average(students[i]),
      Grade(Average(students[i]))]) + nl;
    total := total + Average(students[i]);
    if Average(students[i]) > Average(students[best]) then best := i;
  end;
  Result := Result + 'best: ' + students[best].Name + nl +
    'class average: ' + FormatFloat('0.00', total / 4);
end.
