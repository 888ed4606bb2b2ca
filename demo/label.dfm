object LabelForm: TForm
  Caption = 'Product labels'
  object ProductSource: TDataSource
  end
  object ProductCode: TZorvik
    Width = 200
    Height = 90
    Code.Symbology = EAN_13
    Code.Caption = '400638133393'
    Code.TextAutosize = True
    Code.Density = Medium
    Code.Border = False
    Code.ShowCtrlsChars = False
    Code.TextOn = True
    Code.TextAlignment = txDensity
    BackColor = clWhite
    BarColor = clBlack
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlack
    Font.Height = -11
    Font.Name = 'Arial'
    Font.Style = []
    DataField = 'ean'
    DataSource = ProductSource
  end
end
