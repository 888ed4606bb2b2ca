// The barcode control on a Qt form: a widget that hosts one TZorvik. The
// control's invalidation becomes update(), its paint draws on the widget, and
// the widget takes the size the control settles on. Every published property
// is a Qt property named by its form-file path without the dots
// ("Code.Symbology" is CodeSymbology), read and written through the property
// table.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <string_view>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "control/zorvik.h"
#include "platform/controls.h"
#include "platform/raster/rastercanvas.h"

namespace zorvik {

// The widget's Qt property for a form-file path: the path without its dots
// (Code.Symbology is CodeSymbology).
QByteArray qtPropertyName(std::string_view Path);

class BarcodeWidget : public QWidget, public THostSurface {
    Q_OBJECT
public:
    // The enumerations, with the identifiers form files use.
    enum TBarCodeType { Code_39, Code_93, Code_128, ITF, Industrial, IATA, Codabar, EAN_13, EAN_8, EAN_13_2AddOn, EAN_13_5AddOn, UPC_A };
    Q_ENUM(TBarCodeType)
    enum TDensity { High, Medium, Low };
    Q_ENUM(TDensity)
    enum TDirection { Horizontal, Vertical };
    Q_ENUM(TDirection)
    enum TAlignment { txLeft, txDensity };
    Q_ENUM(TAlignment)
    enum TDragMode { dmManual, dmAutomatic };
    Q_ENUM(TDragMode)
    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    Q_PROPERTY(int Tag READ Tag WRITE setTag NOTIFY TagChanged)
    Q_PROPERTY(int Left READ Left WRITE setLeft NOTIFY LeftChanged)
    Q_PROPERTY(int Top READ Top WRITE setTop NOTIFY TopChanged)
    Q_PROPERTY(int Width READ Width WRITE setWidth NOTIFY WidthChanged)
    Q_PROPERTY(int Height READ Height WRITE setHeight NOTIFY HeightChanged)
    Q_PROPERTY(int DragCursor READ DragCursor WRITE setDragCursor NOTIFY DragCursorChanged)
    Q_PROPERTY(TDragMode DragMode READ DragMode WRITE setDragMode NOTIFY DragModeChanged)
    Q_PROPERTY(TBarCodeType CodeSymbology READ CodeSymbology WRITE setCodeSymbology NOTIFY CodeSymbologyChanged)
    Q_PROPERTY(QString CodeCaption READ CodeCaption WRITE setCodeCaption NOTIFY CodeCaptionChanged USER true)
    Q_PROPERTY(bool CodeAutoSize READ CodeAutoSize WRITE setCodeAutoSize NOTIFY CodeAutoSizeChanged)
    Q_PROPERTY(bool CodeTextAutosize READ CodeTextAutosize WRITE setCodeTextAutosize NOTIFY CodeTextAutosizeChanged)
    Q_PROPERTY(TDensity CodeDensity READ CodeDensity WRITE setCodeDensity NOTIFY CodeDensityChanged)
    Q_PROPERTY(bool CodeBorder READ CodeBorder WRITE setCodeBorder NOTIFY CodeBorderChanged)
    Q_PROPERTY(TDirection CodeDirection READ CodeDirection WRITE setCodeDirection NOTIFY CodeDirectionChanged)
    Q_PROPERTY(bool CodeTransparent READ CodeTransparent WRITE setCodeTransparent NOTIFY CodeTransparentChanged)
    Q_PROPERTY(bool CodeControlChars READ CodeControlChars WRITE setCodeControlChars NOTIFY CodeControlCharsChanged)
    Q_PROPERTY(bool CodeShowCtrlsChars READ CodeShowCtrlsChars WRITE setCodeShowCtrlsChars NOTIFY CodeShowCtrlsCharsChanged)
    Q_PROPERTY(bool CodeTextOn READ CodeTextOn WRITE setCodeTextOn NOTIFY CodeTextOnChanged)
    Q_PROPERTY(TAlignment CodeTextAlignment READ CodeTextAlignment WRITE setCodeTextAlignment NOTIFY CodeTextAlignmentChanged)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor NOTIFY BackColorChanged)
    Q_PROPERTY(QColor BarColor READ BarColor WRITE setBarColor NOTIFY BarColorChanged)
    Q_PROPERTY(int FontCharset READ FontCharset WRITE setFontCharset NOTIFY FontCharsetChanged)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor NOTIFY FontColorChanged)
    Q_PROPERTY(int FontHeight READ FontHeight WRITE setFontHeight NOTIFY FontHeightChanged)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName NOTIFY FontNameChanged)
    Q_PROPERTY(TFontStyles FontStyle READ FontStyle WRITE setFontStyle NOTIFY FontStyleChanged)
    Q_PROPERTY(bool Visible READ Visible WRITE setControlVisible NOTIFY VisibleChanged)
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField NOTIFY DataFieldChanged)
    Q_PROPERTY(QString DataSource READ DataSource WRITE setDataSource NOTIFY DataSourceChanged)
    // Inside a form designer an invisible control still draws, and an unbound
    // one shows a sample caption.
    Q_PROPERTY(bool designMode READ designMode WRITE setDesignMode NOTIFY designModeChanged)

public:
    // The widget owns its control; DataSource names a data source only as
    // form files keep it, setDataSourceObject binds one.
    explicit BarcodeWidget(QWidget* Parent = nullptr);
    ~BarcodeWidget() override;

    TZorvik& control() { return *m_control; }
    const TZorvik& control() const { return *m_control; }
    // Binds the control to a data source of the host framework (null unbinds).
    void setDataSourceObject(TDataSource* Source);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Whether a paint of the control is in progress.
    bool isPainting() const { return m_painting; }
    // Paints the control once it is invalid and applies the size it settles
    // on, without waiting for the event loop (for printing and screenshots).
    void settle();

    int Tag() const { return number("Tag"); }
    void setTag(int v) { setNumber("Tag", v); }
    int Left() const { return number("Left"); }
    void setLeft(int v) { setNumber("Left", v); }
    int Top() const { return number("Top"); }
    void setTop(int v) { setNumber("Top", v); }
    int Width() const { return number("Width"); }
    void setWidth(int v) { setNumber("Width", v); }
    int Height() const { return number("Height"); }
    void setHeight(int v) { setNumber("Height", v); }
    int DragCursor() const { return number("DragCursor"); }
    void setDragCursor(int v) { setNumber("DragCursor", v); }
    TDragMode DragMode() const { return static_cast<TDragMode>(number("DragMode")); }
    void setDragMode(TDragMode v) { setNumber("DragMode", v); }
    TBarCodeType CodeSymbology() const { return static_cast<TBarCodeType>(number("Code.Symbology")); }
    void setCodeSymbology(TBarCodeType v) { setNumber("Code.Symbology", v); }
    QString CodeCaption() const { return text("Code.Caption"); }
    void setCodeCaption(const QString& v) { setText("Code.Caption", v); }
    bool CodeAutoSize() const { return number("Code.AutoSize") != 0; }
    void setCodeAutoSize(bool v) { setNumber("Code.AutoSize", v); }
    bool CodeTextAutosize() const { return number("Code.TextAutosize") != 0; }
    void setCodeTextAutosize(bool v) { setNumber("Code.TextAutosize", v); }
    TDensity CodeDensity() const { return static_cast<TDensity>(number("Code.Density")); }
    void setCodeDensity(TDensity v) { setNumber("Code.Density", v); }
    bool CodeBorder() const { return number("Code.Border") != 0; }
    void setCodeBorder(bool v) { setNumber("Code.Border", v); }
    TDirection CodeDirection() const { return static_cast<TDirection>(number("Code.Direction")); }
    void setCodeDirection(TDirection v) { setNumber("Code.Direction", v); }
    bool CodeTransparent() const { return number("Code.Transparent") != 0; }
    void setCodeTransparent(bool v) { setNumber("Code.Transparent", v); }
    bool CodeControlChars() const { return number("Code.ControlChars") != 0; }
    void setCodeControlChars(bool v) { setNumber("Code.ControlChars", v); }
    bool CodeShowCtrlsChars() const { return number("Code.ShowCtrlsChars") != 0; }
    void setCodeShowCtrlsChars(bool v) { setNumber("Code.ShowCtrlsChars", v); }
    bool CodeTextOn() const { return number("Code.TextOn") != 0; }
    void setCodeTextOn(bool v) { setNumber("Code.TextOn", v); }
    TAlignment CodeTextAlignment() const { return static_cast<TAlignment>(number("Code.TextAlignment")); }
    void setCodeTextAlignment(TAlignment v) { setNumber("Code.TextAlignment", v); }
    QColor BackColor() const { return colour("BackColor"); }
    void setBackColor(const QColor& v) { setColour("BackColor", v); }
    QColor BarColor() const { return colour("BarColor"); }
    void setBarColor(const QColor& v) { setColour("BarColor", v); }
    int FontCharset() const { return number("Font.Charset"); }
    void setFontCharset(int v) { setNumber("Font.Charset", v); }
    QColor FontColor() const { return colour("Font.Color"); }
    void setFontColor(const QColor& v) { setColour("Font.Color", v); }
    int FontHeight() const { return number("Font.Height"); }
    void setFontHeight(int v) { setNumber("Font.Height", v); }
    QString FontName() const { return text("Font.Name"); }
    void setFontName(const QString& v) { setText("Font.Name", v); }
    TFontStyles FontStyle() const { return TFontStyles(number("Font.Style")); }
    void setFontStyle(TFontStyles v) { setNumber("Font.Style", v.toInt()); }
    bool Visible() const { return number("Visible") != 0; }
    void setControlVisible(bool v) { setNumber("Visible", v); }
    QString DataField() const { return text("DataField"); }
    void setDataField(const QString& v) { setText("DataField", v); }
    QString DataSource() const { return text("DataSource"); }
    void setDataSource(const QString& v) { setText("DataSource", v); }
    bool designMode() const { return m_control->isDesigning(); }
    void setDesignMode(bool v);

    // THostSurface
    void invalidateControl(TControl& Control) override;
    void updateControl(TControl& Control) override;
    void removeControl(TControl& Control) override;

signals:
    void TagChanged();
    void LeftChanged();
    void TopChanged();
    void WidthChanged();
    void HeightChanged();
    void DragCursorChanged();
    void DragModeChanged();
    void CodeSymbologyChanged();
    void CodeCaptionChanged();
    void CodeAutoSizeChanged();
    void CodeTextAutosizeChanged();
    void CodeDensityChanged();
    void CodeBorderChanged();
    void CodeDirectionChanged();
    void CodeTransparentChanged();
    void CodeControlCharsChanged();
    void CodeShowCtrlsCharsChanged();
    void CodeTextOnChanged();
    void CodeTextAlignmentChanged();
    void BackColorChanged();
    void BarColorChanged();
    void FontCharsetChanged();
    void FontColorChanged();
    void FontHeightChanged();
    void FontNameChanged();
    void FontStyleChanged();
    void VisibleChanged();
    void DataFieldChanged();
    void DataSourceChanged();
    void designModeChanged();
    // The control's mouse events, by their form-file names; positions in the
    // control's pixels, buttons as Qt::MouseButton.
    void OnClick();
    void OnDblClick();
    void OnMouseDown(int Button, int X, int Y);
    void OnMouseMove(int X, int Y);
    void OnMouseUp(int Button, int X, int Y);
    // A caption message is about to be shown (after the paint that raised it).
    void messageRaised(const QString& Text);
    // Any published property changed.
    void propertiesChanged();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    int number(const char* Path) const;
    void setNumber(const char* Path, int Value);
    QString text(const char* Path) const;
    void setText(const char* Path, const QString& Value);
    QColor colour(const char* Path) const;
    void setColour(const char* Path, const QColor& Value);

    // Follows the control's size and position, its opacity, and tells of
    // every property whose value changed since last time.
    void syncGeometry();
    void publishChanges();
    void report(const std::string& Text, const std::string& Caption);
    void showMessages();

    // Paints the control on a fresh raster canvas of its size.
    std::unique_ptr<RasterCanvas> paintControl();
    void afterPaint();

    std::unique_ptr<TZorvik> m_control;
    std::vector<std::string> m_snapshot;
    bool m_invalid = true;
    bool m_painting = false;
    bool m_followUpQueued = false;
    bool m_syncing = false;
    // Messages shown since the settings last changed, and those waiting for
    // the paint that raised them to end.
    std::set<std::string> m_shown;
    std::vector<std::pair<std::string, std::string>> m_pending;
    friend class MessageRouter;
};

}  // namespace zorvik

Q_DECLARE_OPERATORS_FOR_FLAGS(zorvik::BarcodeWidget::TFontStyles)
