// A stack in an array checks that brackets are balanced.
const
  MaxDepth = 50;
var
  stack: array[1..MaxDepth] of Char;
  top: Integer;

procedure Push(c: Char);
begin
  Inc(top);
  stack[top] := c;
end;

function Pop: Char;
begin
  Result := stack[top];
  Dec(top);
end;

function Balanced(const s: string): Boolean;
var
  i: Integer;
  c: Char;
begin
  top := 0;
  Result := True;
  for i := 1 to Length(s) do
  begin
    c := s[i];
    case c of
      '(', '[', '{': Push(c);
      ')', ']', '}':
        begin
          if top = 0 then
          begin
            Result := False;
            Exit;
          end;
          case Pop of
            '(': Result := c = ')';
            '[': Result := c = ']';
            '{': Result := c = '}';
          end;
          if not Result then Exit;
        end;
    end;
  end;
  Result := top = 0;
end;

const
  Tests: array[1..5] of string = ('(a[1] + {b})', '((x)', 'f(x]', '', '}{');
var
  i: Integer;
begin
  Result := '';
  for i := 1 to 5 do
    Result := Result + Tests[i] + ': ' + BoolToStr(Balanced(Tests[i]), True) + nl;
end.
