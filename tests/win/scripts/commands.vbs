' Runs the steps of FOLDER\steps.txt, one a line with its words separated by
' tabs, on one Tarn.ITarn object and a model that the fake modelling tool
' serves:
'   select ID...                     selects items of the model (none: nothing)
'   property-check | refinement-check | objectz | configuration | about
'                                    the command of that menu entry
'   PropertyCheck ID TEXT FILE       the direct call, on the class ID
'   RefinementCheck ID ID TEXT FILE  the direct call, on two classes
'   ReadINI SECTION KEY FILE | WriteINI SECTION KEY VALUE FILE | OpenIni
'   ZEvesPath | WizardUrl            reads the property
' Each step appends "step N" to FOLDER\shown.txt, where the dialogs add what
' they show (TARN_SCRIPTED_UI); an error that reaches the script adds
' "error NUMBER DESCRIPTION", a value read adds "value TEXT".
'   cscript commands.vbs MODEL FOLDER
Option Explicit
Dim folder, fso, app, tarn, steps, words, count

folder = WScript.Arguments(1)
Set fso = CreateObject("Scripting.FileSystemObject")
Set app = CreateObject("TarnTest.FakeRose")
app.Open WScript.Arguments(0)
Set tarn = CreateObject("Tarn.ITarn")
Set steps = fso.OpenTextFile(folder & "\steps.txt", 1)
count = 0

Sub Show(line)
  Dim shown
  Set shown = fso.OpenTextFile(folder & "\shown.txt", 8, True)
  shown.WriteLine line
  shown.Close
End Sub

Function ClassOf(id)
  app.Select id
  Set ClassOf = app.ActiveModel.SelectedItems.ItemAt(1)
End Function

Do Until steps.AtEndOfStream
  words = Split(steps.ReadLine, vbTab)
  count = count + 1
  Show "step " & count
  On Error Resume Next
  Select Case words(0)
    Case "select"
      Select Case UBound(words)
        Case 0: app.Select
        Case 1: app.Select words(1)
        Case 2: app.Select words(1), words(2)
      End Select
    Case "property-check": tarn.RunPropertyChecker app
    Case "refinement-check": tarn.RunRefinementChecker app
    Case "objectz": tarn.RunGenerator app
    Case "configuration": tarn.RunConfiguration app
    Case "about": tarn.RunAbout app
    Case "PropertyCheck": tarn.PropertyCheck ClassOf(words(1)), words(2), words(3)
    Case "RefinementCheck": tarn.RefinementCheck ClassOf(words(1)), ClassOf(words(2)), words(3), words(4)
    Case "ReadINI": Show "value " & tarn.ReadINI(words(1), words(2), words(3))
    Case "WriteINI": tarn.WriteINI words(1), words(2), words(3), words(4)
    Case "OpenIni": tarn.OpenIni
    Case "ZEvesPath": Show "value " & tarn.ZEvesPath
    Case "WizardUrl": Show "value " & tarn.WizardUrl
  End Select
  If Err.Number <> 0 Then Show "error " & Err.Number & " " & Err.Description
  On Error GoTo 0
Loop
steps.Close
