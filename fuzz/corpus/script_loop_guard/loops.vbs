Function Main(a)
  For i = 1 To 3: s = s & i: Next
  Do While n < 2
    n = n + 1
  Loop
  While m < 1: m = m + 1: Wend
  Main = s & " ""Loop"" " & _
    n & m ' Next
End Function
Rem Wend
