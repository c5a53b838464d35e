' Runs every command of the add-in on every item of a Rose model that the
' fake modelling tool serves: the Object-Z document of the first class
' diagram, the property check of each class and the refinement check of each
' association. Each document is kept as N.tex or N.zed in the output folder,
' the cases are listed in cases.txt ("N COMMAND QUID"), and a line "case N"
' in shown.txt starts what the dialogs of case N showed.
'   cscript differential.vbs MODEL FOLDER
' The dialogs are answered from FOLDER\answers.txt (TARN_SCRIPTED_UI), whose
' save dialog answers FOLDER\document.
Option Explicit
Dim model, folder, fso, app, tarn, cases, items, words, count, i

model = WScript.Arguments(0)
folder = WScript.Arguments(1)
Set fso = CreateObject("Scripting.FileSystemObject")
Set app = CreateObject("TarnTest.FakeRose")
app.Open model
Set tarn = CreateObject("Tarn.ITarn")
Set cases = fso.CreateTextFile(folder & "\cases.txt", True)
count = 0

Sub RunCase(command, id, extension)
  Dim shown
  count = count + 1
  Set shown = fso.OpenTextFile(folder & "\shown.txt", 8, True)
  shown.WriteLine "case " & count
  shown.Close
  cases.WriteLine count & " " & command & " " & id
  If id = "" Then app.Select Else app.Select id
  Select Case command
    Case "objectz": tarn.RunGenerator app
    Case "property-check": tarn.RunPropertyChecker app
    Case "refinement-check": tarn.RunRefinementChecker app
  End Select
  If fso.FileExists(folder & "\document") Then fso.MoveFile folder & "\document", folder & "\" & count & extension
End Sub

RunCase "objectz", "", ".tex"
items = Split(app.ItemIds, vbCrLf)
For i = 0 To UBound(items)
  words = Split(items(i), " ")
  If UBound(words) = 1 Then
    If words(0) = "class" Then RunCase "property-check", words(1), ".zed"
    If words(0) = "association" Then RunCase "refinement-check", words(1), ".zed"
  End If
Next
cases.Close
