// The barcode control: a windowless control drawing one symbol from its
// settings, sizing itself to the symbol or stretching the symbol to itself.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "control/code.h"
#include "platform/controls.h"
#include "platform/db.h"
#include "platform/graphics.h"

namespace zorvik {

// Size of the symbol area of the last render on this thread, in device pixels.
extern thread_local int32_t BarCodeWidth;
extern thread_local int32_t BarCodeHeight;

class TZorvik : public TGraphicControl {
public:
    explicit TZorvik(TComponent* AOwner);
    ~TZorvik() override;

    // Published properties.
    TCode* Code() const { return m_code.get(); }
    // Copies Value as Assigne does, then keeps EAN-13 text under its characters.
    void SetCode(const TCode* Value);
    TColor BackColor() const { return m_backColor; }
    void SetBackColor(TColor Value);
    TColor BarColor() const { return m_barColor; }
    void SetBarColor(TColor Value);
    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* Value);
    // A plain flag: while false nothing is drawn at run time.
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value) { m_visible = Value; }
    // The field whose display text becomes the caption, and the data source
    // it comes from.
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    // A data source named in a form file but not found there, kept so that
    // writing the form gives it back.
    const std::string& DataSourceName() const;
    void SetDataSourceName(const std::string& Value) { m_dataSourceName = Value; }
    // The caption's new text: the bound field's display text; inside the
    // designer without a field, a sample that suits the symbology; else "123".
    std::string GetFieldText() const;
    // Reaction to the data link: the caption follows the field.
    void DataChange(TObject* Sender);

    // Re-published from the base control.
    int DragCursor() const { return m_dragCursor; }
    void SetDragCursor(int Value) { m_dragCursor = Value; }
    int DragMode() const { return m_dragMode; }  // 0 manual, 1 automatic
    void SetDragMode(int Value) { m_dragMode = Value; }
    // Event bindings read from a form file ("OnClick", "Code.OnChange") by
    // handler name, kept so that writing the form gives them back.
    std::map<std::string, std::string>& eventBindings() { return m_events; }
    const std::map<std::string, std::string>& eventBindings() const { return m_events; }

    // Draws the symbol on ACanvas with the symbol area's top-left corner at
    // (X, Y), Scale device pixels per screen pixel. Leaves the area's size in
    // BarCodeWidth and BarCodeHeight; a caption error is reported through the
    // application's message box and draws nothing.
    void DrawBarCode(TCanvas* ACanvas, int X, int Y, int Scale);
    // Draws the symbol on the current printer's page, its top-left corner at
    // printer dots (X, Y), as large on paper as on the screen.
    void PrintBarCode(int X, int Y);
    void Loaded() override;

    // Reaction to any change of the settings or of the font.
    void PropertiesChanged(TObject* Sender);
    // Whether the last DrawBarCode of this control got as far as sizing the
    // symbol area (it did not end with a message or at an invisible control).
    bool lastRenderSized() const { return m_sized; }
    // The shortest bar of the last symbol drawn, in device pixels across the
    // symbol (0 before any was drawn), and its length along it: what a
    // caller needs to judge whether scanners will read the bars.
    int lastShortestBar() const { return m_shortestBar; }
    int lastSymbolLength() const { return m_symbolLength; }
    // The quiet zone after the last bar of that symbol, in modules (-1 when
    // nothing was laid).
    int lastRightQuietZone() const { return m_rightQuietZone; }

    // One bar (W from "A") or one space (W from "1") at the running position.
    void Lin(TCanvas* ACanvas, TDirection Dir, char W);
    void Spc(TCanvas* ACanvas, TDirection Dir, char W);
    // Turns the canvas font a quarter turn counter-clockwise.
    void SetFontDir(TCanvas* ACanvas);

    // Encoders. The first shape reads the caption from the settings; the
    // second gets a copy of it and the bar length.
    void Print_Code39(TCanvas* ACanvas, int X, int Y, TDirection Dir, int W, int H);
    void Print_Code93(TCanvas* ACanvas, int X, int Y, TDirection Dir, int W, int H);
    void Print_Code128(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_Codabar(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_ITF(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_INDUSTRIAL(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_IATA(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_EAN13(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_UPCA(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_EAN8(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_EAN13_2AddOn(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);
    void Print_EAN13_5AddOn(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn, int W, int H);

    // One EAN/UPC digit character of 7 modules, its row chosen by C.
    void Out_char(TCanvas* ACanvas, TDirection Dir, char C);
    void Out_char8(TCanvas* ACanvas, TDirection Dir, char C);

    // Working record of the turned text font.
    LOGFONT FLogFont;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void Paint() override;
    // Answers the data-link query with the control's own link.
    void WndProc(TMessage& Message) override;

private:
    void PrepareDrawing(TCanvas* ACanvas, int X, int Y, int Scale, TDirection Dir);
    void drawWithEncoder(TCanvas* ACanvas, int X, int Y, TDirection Dir);
    // Runs the encoder without drawing, one pixel a module from position 0:
    // the modules it lays from its first bar to its last, and its shortest bar.
    struct TLayout {
        bool anyBar = false;
        int64_t modules = 0;
        int64_t shortestBar = 0;
    };
    TLayout measureLayout(int X, int Y, TDirection Dir);

    std::unique_ptr<TFieldDataLink> m_dataLink;
    std::string m_dataSourceName;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TCode> m_code;
    TColor m_backColor = clWhite;
    TColor m_barColor = clBlack;
    bool m_visible = true;
    int m_dragCursor = -12;  // crDrag
    int m_dragMode = 0;
    std::map<std::string, std::string> m_events;
    // Whether the last DrawBarCode of this control computed a size.
    bool m_sized = false;
    int m_shortestBar = 0;
    int m_symbolLength = 0;
    int m_rightQuietZone = -1;
};

}  // namespace zorvik
