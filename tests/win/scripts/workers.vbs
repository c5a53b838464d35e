' Runs the two checks and the Object-Z document of the errors model through
' the public classes one by one, as ITarn's commands run them, writing
' pc.zed, rc.zed and oz.tex in FOLDER; then tries the records and
' collections as a script may use them. Each value a step shows goes to
' FOLDER\shown.txt as "NAME: VALUE"; an error as "NAME: error NUMBER TEXT".
'   cscript workers.vbs MODEL FOLDER
Option Explicit
Dim folder, fso, app, parser, visitor, writer, pc, rc, generator, counter
Dim schema, state, declaration, theorem, lines, item, text, i

folder = WScript.Arguments(1)
Set fso = CreateObject("Scripting.FileSystemObject")
Set app = CreateObject("TarnTest.FakeRose")
app.Open WScript.Arguments(0)
app.Select "Counter"
Set counter = app.ActiveModel.SelectedItems.ItemAt(1)

Sub Show(name, value)
  Dim shown
  Set shown = fso.OpenTextFile(folder & "\shown.txt", 8, True)
  shown.WriteLine name & ": " & value
  shown.Close
End Sub

Sub ShowError(name)
  If Err.Number <> 0 Then Show name, "error " & Err.Number & " " & Err.Description Else Show name, "no error"
  Err.Clear
End Sub

' The property check.
Set parser = CreateObject("Tarn.ZParser")
Set visitor = CreateObject("Tarn.ZVisitor")
Set writer = CreateObject("Tarn.ZGenerator")
Set pc = CreateObject("Tarn.ZPCClass")
Set pc.Schema = parser.ParseClass(counter)
parser.ParseProperties pc, "%Grows" & vbCrLf & "count \geq 0" & vbCrLf
visitor.VisitPC pc
writer.documentClass = "\documentclass{book}"
writer.GeneratePCSpecification pc, folder & "\pc.zed"
Show "documentClass after writing", writer.documentClass
Show "property theorems", pc.Theorems.Count & " " & pc.Theorems(1).Name & " " & pc.Theorems.Item(1).Theorem(1)

' The refinement check of Counter with itself.
Set rc = CreateObject("Tarn.ZRCClass")
parser.ParseAbstractClass rc, counter
parser.ParseConcreteClass rc, counter
parser.ParseRetrieve rc, "count = count"
visitor.VisitRC rc
writer.GenerateRCSpecification rc, folder & "\rc.zed"
text = ""
For Each theorem In rc.Theorems
  text = text & theorem.Name & " "
Next
Show "refinement theorems", text

' The Object-Z document of the first class diagram.
Set generator = CreateObject("Tarn.Generator")
generator.Generate app, folder & "\oz.tex"
Show "generator state", generator.giActualGivenSets & " " & generator.giMaxGivenSets & " " & _
  generator.attributeFlag & " " & generator.FileNum & " " & TypeName(generator.RoseApp)
generator.UpdateGivenSets generator.CreateGivenSets("\power NAME \pfun (AGE \cross \nat)")
Show "given sets", Replace(generator.ProcessGivenSets(), vbCr, "|")

' Records: new collections are empty, record fields Nothing, references shared.
Set schema = CreateObject("Tarn.ZSchema")
Show "new record", schema.Schemas.Count & " " & (schema.StateSchema Is Nothing)
Set state = CreateObject("Tarn.Schema")
Set schema.StateSchema = state
state.Name = "Shared"
Show "shared reference", schema.StateSchema.Name
Set declaration = CreateObject("Tarn.Declaration")
declaration.Name = "x?"
declaration.ZType = "\nat"
state.Declarations.Add declaration
Set lines = state.Declarations
Show "collection", lines.Count & " " & lines(1).Name & " " & lines(1).ZType

On Error Resume Next
item = lines.Item(2)
ShowError "item out of range"
Set schema.StateSchema = declaration
ShowError "a declaration as a schema"
parser.ParseProperties pc, ""
ShowError "empty properties"
Show "theorems kept", pc.Theorems.Count
Set state.Declarations = Nothing
visitor.GetGivenSetsSchema pc.GivenSets, state
ShowError "declarations Nothing"
state.Declarations = Nothing
Set state.Declarations = CreateObject("Tarn.ZParser")
ShowError "a parser as a collection"
Set lines = CreateObject("Tarn.ZPCClass").GivenSets
For i = 1 To 32767
  lines.Add "x"
Next
ShowError "32767 items"
lines.Add "x"
ShowError "32768 items"
On Error GoTo 0
