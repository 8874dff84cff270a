@SCRIPT Shout
@LANG VB
' FNSHOUT("text", "3"): the text in capitals, followed by as many exclamation marks as the
' second parameter asks for (one when it is empty).
Function Main(text, marks)
  If marks = "" Then marks = 1
  Main = UCase(text) & String(CInt(marks), "!")
End Function
