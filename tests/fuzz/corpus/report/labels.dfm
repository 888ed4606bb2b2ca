object LabelsForm: TForm
  Caption = 'Product label sheet'
  object Products: TSqliteDataSet
    DatabaseName = 'products.sqlite'
    SQL.Strings = (
      'SELECT id, name, ean, sku, printf(''%.2f'', price) AS price'
      'FROM products ORDER BY id')
  end
  object ProductSource: TDataSource
    DataSet = Products
  end
  object ProductCode: TZorvik
    Width = 115
    Height = 64
    Code.Symbology = EAN_13
    Code.Caption = '400638133393'
    Code.TextAutosize = True
    Code.Density = Medium
    Code.TextAlignment = txDensity
    Font.Name = 'Arial'
    DataField = 'ean'
    DataSource = ProductSource
  end
  object LabelsReport: TQuickRep
    DataSet = Products
    Page.PaperSize = A4
    Page.TopMargin = 4
    Page.BottomMargin = 5
    Page.LeftMargin = 0
    Page.RightMargin = 0
    Page.Columns = 3
    Page.ColumnSpace = 0
    object LabelBand: TQRBand
      BandType = rbDetail
      Size.Height = 36
      object ProductName: TQRDBText
        Size.Left = 6
        Size.Top = 3
        DataField = 'name'
        Font.Name = 'Arial'
        Font.Height = -15
        Font.Style = [fsBold]
      end
      object ProductPrice: TQRDBText
        Size.Left = 6
        Size.Top = 9
        DataField = 'price'
        Font.Name = 'Arial'
        Font.Height = -13
      end
      object ProductBarcode: TQR2Zorvik
        Size.Left = 6
        Size.Top = 15
        Barcode = ProductCode
      end
    end
  end
end
