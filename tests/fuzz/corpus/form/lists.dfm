inherited Frame1: TFrame1
  Items.Strings = (
    'one'
    'two')
  Data = {
    0001020304}
  object Zorvik2: TZorvik
    Code.Symbology = ITF
    Code.Caption = '12345678'
    Code.ControlChars = False
    Visible = False
  end
end
