// Grades from scores with case ranges and lists.
function Grade(score: Integer): string;
begin
  case score of
    90..100: Result := 'A';
    80..89: Result := 'B';
    70..79: Result := 'C';
    60..69: Result := 'D';
    0..59: Result := 'F';
  else
    Result := 'invalid';
  end;
end;

function Kind(n: Integer): string;
begin
  case n of
    1, 3, 5, 7, 9: Result := 'odd digit';
    0, 2, 4, 6, 8: Result := 'even digit';
    10..99, 100: Result := 'up to a hundred';
  else
    Result := 'other';
  end;
end;

const
  Scores: array[1..7] of Integer = (100, 95, 83, 70, 61, 12, 101);
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 7 do
    Result := Result + IntToStr(Scores[i]) + '=' + Grade(Scores[i]) + ' ';
  Result := Trim(Result) + nl + Kind(7) + ', ' + Kind(4) + ', ' + Kind(100) + ', ' + Kind(-3);
end.
