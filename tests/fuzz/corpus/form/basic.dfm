object Form1: TForm
  Caption = 'Labels'
  object Panel1: TPanel
    object Zorvik1: TZorvik
      Left = 8
      Width = 200
      Height = 60
      Code.Symbology = EAN_13
      Code.Caption = '400638133393'
      Code.TextAutosize = True
      Font.Style = [fsBold]
      Font.Name = 'Arial'
      OnClick = Zorvik1Click
    end
  end
end
