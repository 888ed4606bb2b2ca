object Zorvik1: TZorvik
  Code.Symbology = Code_128
  Code.Caption = 
    'O''Neil ' +
    #233'te' +
    'x'
  BackColor = $00FFEEDD
  BarColor = clNavy
  Code.Direction = Vertical
  Code.Density = Low
  Tag = -7
  DragCursor = crHandPoint
  Font.Charset = EASTEUROPE_CHARSET
  Font.Height = -16
end
