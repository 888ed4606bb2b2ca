#include "control/zorvik.h"

#include <algorithm>

#include "control/symbology.h"
#include "platform/forms.h"
#include "platform/printers.h"

namespace zorvik {

thread_local int32_t BarCodeWidth = 0;
thread_local int32_t BarCodeHeight = 0;

TZorvik::TZorvik(TComponent* AOwner) : TGraphicControl(AOwner) {
    // Every settings call below already notifies; the handlers are attached first.
    m_font = std::make_unique<TFont>();
    m_font->OnChange = [this](TObject* Sender) { PropertiesChanged(Sender); };
    m_code = std::make_unique<TCode>();
    m_dataLink = std::make_unique<TFieldDataLink>();
    m_dataLink->SetControl(this);
    m_dataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
    m_code->OnChange = [this](TObject* Sender) { PropertiesChanged(Sender); };

    m_code->SetCode(TBarCodeType::Codabar);
    m_code->SetCaption("123456");
    m_code->SetAutoSize(true);
    m_code->SetTextAutoSize(false);
    m_code->SetDensity(TDensity::High);
    m_code->SetBorder(false);
    m_code->SetCtrlChar(true);
    m_code->SetTransparent(false);
    m_code->SetDirection(TDirection::Horizontal);
    m_code->SetAlignment(TAlignment::txLeft);

    SetWidth(100);
    SetHeight(50);
    SetTop(0);
    SetLeft(0);

    m_visible = true;
    SetBackColor(clWhite);
    SetBarColor(clBlack);
    m_code->SetTextOn(true);
    m_font->SetName("Arial");
}

TZorvik::~TZorvik() {
    // The link goes first, so that notices arriving while the rest is torn
    // down find no link.
    m_dataLink.reset();
    m_code->OnChange = nullptr;
    m_font->OnChange = nullptr;
}

void TZorvik::PropertiesChanged(TObject*) {
    const unsigned style = ControlStyle();
    SetControlStyle(m_code->Transparent() ? style & ~csOpaque : style | csOpaque);
    Invalidate();
}

void TZorvik::Paint() {
    DrawBarCode(Canvas(), 0, 0, 1);
    // A render that ended early sized nothing; the size left behind belongs to
    // whatever was rendered before, so the control keeps its own.
    if (!m_sized) return;
    SetHeight(BarCodeHeight);
    SetWidth(BarCodeWidth);
}

void TZorvik::PrintBarCode(int X, int Y) {
    std::string device, driver, port;
    TDeviceModeHandle mode;
    Printer()->GetPrinter(device, driver, port, mode);
    int resolution = 300;
    if (const TDeviceMode* dm = GlobalLock(mode); dm != nullptr) resolution = dm->dmPrintQuality;
    // A quality below the screen's resolution, or one of the negative
    // symbolic qualities, would give no scale at all: print one device pixel
    // per screen pixel instead.
    const int scale = std::max(1, resolution / std::max(1, Screen().PixelsPerInch));
    DrawBarCode(Printer()->Canvas(), X, Y, scale);
}

void TZorvik::Loaded() {
    TGraphicControl::Loaded();
    // Inside the designer the caption shows the bound field, or a sample.
    if (isDesigning()) DataChange(this);
}

std::string TZorvik::DataField() const { return m_dataLink ? m_dataLink->FieldName() : std::string(); }

void TZorvik::SetDataField(const std::string& Value) {
    if (m_dataLink) m_dataLink->SetFieldName(Value);
}

TDataSource* TZorvik::DataSource() const { return m_dataLink ? m_dataLink->DataSource() : nullptr; }

void TZorvik::SetDataSource(TDataSource* Value) {
    if (!m_dataLink) return;
    m_dataLink->SetDataSource(Value);
    m_dataSourceName.clear();
    if (Value != nullptr) Value->FreeNotification(this);
}

const std::string& TZorvik::DataSourceName() const {
    static const std::string none;
    if (TDataSource* source = DataSource(); source != nullptr) return source->Name();
    return m_dataSourceName.empty() ? none : m_dataSourceName;
}

std::string TZorvik::GetFieldText() const {
    if (TField* field = m_dataLink ? m_dataLink->Field() : nullptr; field != nullptr) return field->DisplayText();
    if (!isDesigning()) return "123";
    const SymbologyInfo* info = symbologyInfo(m_code->Symbology());
    return info != nullptr ? std::string(info->sampleText) : "123";
}

void TZorvik::DataChange(TObject*) { m_code->SetCaption(GetFieldText()); }

void TZorvik::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && m_dataLink && AComponent != nullptr &&
        AComponent == m_dataLink->DataSource())
        SetDataSource(nullptr);
}

void TZorvik::WndProc(TMessage& Message) {
    if (Message.Msg == CM_GETDATALINK) {
        Message.Result = reinterpret_cast<intptr_t>(m_dataLink.get());
        return;
    }
    TGraphicControl::WndProc(Message);
}

void TZorvik::SetBackColor(TColor Value) {
    m_backColor = Value;
    Invalidate();
}

void TZorvik::SetBarColor(TColor Value) {
    m_barColor = Value;
    Invalidate();
}

void TZorvik::SetFont(const TFont* Value) {
    if (Value == nullptr || Value == m_font.get()) return;
    m_font->Assign(*Value);
    Canvas()->SetFont(*m_font);
    Refresh();
}

void TZorvik::SetCode(const TCode* Value) {
    if (Value == nullptr) return;
    m_code->Assigne(*Value);
    if (Value->Symbology() == TBarCodeType::EAN_13) m_code->SetAlignment(TAlignment::txDensity);
    Invalidate();
}

}  // namespace zorvik
