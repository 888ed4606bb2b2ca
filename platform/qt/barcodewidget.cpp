#include "platform/qt/barcodewidget.h"

#include <QImage>
#include <QMessageBox>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

#include "control/published.h"
#include "platform/forms.h"
#include "platform/qt/paintercanvas.h"

namespace zorvik {

namespace {

// Enough for any control: density moves at most two steps, font and size
// settle in one paint more each.
constexpr int kMaxPaints = 64;

// The widget whose paint is in progress on this thread; its messages wait
// until the paint is over.
thread_local BarcodeWidget* g_painting = nullptr;

const PublishedProperty& published(const char* Path) {
    const PublishedProperty* p = findProperty(Path);
    Q_ASSERT(p != nullptr);
    return *p;
}


}  // namespace

QByteArray qtPropertyName(std::string_view Path) {
    QByteArray name;
    for (char c : Path)
        if (c != '.') name += c;
    return name;
}

// Caption messages of the render pipeline: raised inside a paint, they are
// shown as modal boxes once that paint is over; raised elsewhere, at once.
class MessageRouter {
public:
    static void install() {
        static bool installed = false;
        if (installed) return;
        installed = true;
        Application().setMessageHandler([](const std::string& Text, const std::string& Caption, int) {
            if (g_painting != nullptr) g_painting->report(Text, Caption);
            else QMessageBox(QMessageBox::NoIcon, QString::fromStdString(Caption), QString::fromStdString(Text),
                             QMessageBox::Ok)
                     .exec();
            return IDOK;
        });
    }
};

BarcodeWidget::BarcodeWidget(QWidget* Parent) : QWidget(Parent), m_control(std::make_unique<TZorvik>(nullptr)) {
    MessageRouter::install();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The control hears the mouse move over it, pressed or not.
    setMouseTracking(true);
    m_snapshot.resize(zorvikProperties().size());
    for (size_t i = 0; i < m_snapshot.size(); ++i) m_snapshot[i] = zorvikProperties()[i].format(*m_control);
    m_control->SetParent(this);
    syncGeometry();
}

BarcodeWidget::~BarcodeWidget() {
    if (g_painting == this) g_painting = nullptr;
    m_control->SetParent(nullptr);
    m_control.reset();
}

int BarcodeWidget::number(const char* Path) const {
    return static_cast<int>(published(Path).getNumber(*m_control));
}

void BarcodeWidget::setNumber(const char* Path, int Value) {
    published(Path).setNumber(*m_control, Value);
    publishChanges();
}

QString BarcodeWidget::text(const char* Path) const {
    return QString::fromStdString(published(Path).getText(*m_control));
}

void BarcodeWidget::setText(const char* Path, const QString& Value) {
    published(Path).setText(*m_control, Value.toStdString());
    publishChanges();
}

QColor BarcodeWidget::colour(const char* Path) const { return qColorOf(static_cast<TColor>(published(Path).getNumber(*m_control))); }

void BarcodeWidget::setColour(const char* Path, const QColor& Value) {
    published(Path).setNumber(*m_control, tColorOf(Value));
    publishChanges();
}

void BarcodeWidget::setDataSourceObject(TDataSource* Source) {
    m_control->SetDataSource(Source);
    publishChanges();
}

void BarcodeWidget::setDesignMode(bool v) {
    if (v == designMode()) return;
    m_control->SetDesigning(v);
    invalidateControl(*m_control);
    emit designModeChanged();
}

QSize BarcodeWidget::sizeHint() const { return {m_control->Width(), m_control->Height()}; }

void BarcodeWidget::invalidateControl(TControl&) {
    m_invalid = true;
    if (m_painting) return;  // the paint's own changes are followed when it ends
    // The settings changed: a message may be shown again.
    m_shown.clear();
    syncGeometry();
    publishChanges();
    update();
}

void BarcodeWidget::updateControl(TControl&) {
    if (!m_painting) repaint();
}

void BarcodeWidget::removeControl(TControl&) {}

std::unique_ptr<RasterCanvas> BarcodeWidget::paintControl() {
    // The raster canvas is the one the command writes PNG files with, so the
    // widget shows the same pixels, glyphs included.
    auto canvas = std::make_unique<RasterCanvas>(std::max(1, m_control->Width()), std::max(1, m_control->Height()));
    BarcodeWidget* outer = g_painting;
    g_painting = this;
    m_painting = true;
    m_invalid = false;
    m_control->paintOn(*canvas);
    m_painting = false;
    g_painting = outer;
    return canvas;
}

void BarcodeWidget::afterPaint() {
    if (!m_pending.empty() || m_invalid || sizeHint() != size()) {
        if (m_followUpQueued) return;
        m_followUpQueued = true;
        // Never from inside the paint: sizes, repaints and message boxes follow it.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_followUpQueued = false;
                syncGeometry();
                publishChanges();
                if (m_invalid) update();
                showMessages();
            },
            Qt::QueuedConnection);
    } else {
        publishChanges();
    }
}

void BarcodeWidget::paintEvent(QPaintEvent*) {
    const std::unique_ptr<RasterCanvas> canvas = paintControl();
    const QImage image(canvas->data(), canvas->width(), canvas->height(), canvas->width() * 4, QImage::Format_RGBA8888);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
    painter.end();
    afterPaint();
}

void BarcodeWidget::settle() {
    for (int i = 0; i < kMaxPaints && m_invalid; ++i) {
        paintControl();
        syncGeometry();
    }
    publishChanges();
    showMessages();
}

void BarcodeWidget::syncGeometry() {
    // The control's opaque style is not passed on as an opaque paint: a paint
    // that reports a message or meets an invisible control draws nothing, and
    // what lies beneath must show then.
    const QRect wanted = isWindow() ? QRect(pos(), sizeHint()) : QRect(m_control->Left(), m_control->Top(),
                                                                       m_control->Width(), m_control->Height());
    if (wanted == geometry()) return;
    m_syncing = true;
    if (wanted.size() != size()) updateGeometry();
    if (isWindow()) resize(wanted.size());
    else setGeometry(wanted);
    m_syncing = false;
}

void BarcodeWidget::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    if (m_syncing || isWindow()) return;
    if (Event->pos() != QPoint(m_control->Left(), m_control->Top()))
        m_control->SetBounds(Event->pos().x(), Event->pos().y(), m_control->Width(), m_control->Height());
}

void BarcodeWidget::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (m_syncing) return;
    if (Event->size() != sizeHint())
        m_control->SetBounds(m_control->Left(), m_control->Top(), Event->size().width(), Event->size().height());
}

void BarcodeWidget::mousePressEvent(QMouseEvent* Event) {
    const QPoint at = Event->position().toPoint();
    emit OnMouseDown(Event->button(), at.x(), at.y());
}

void BarcodeWidget::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint at = Event->position().toPoint();
    emit OnMouseUp(Event->button(), at.x(), at.y());
    // A click is a press and a release of the left button over the control.
    if (Event->button() == Qt::LeftButton && rect().contains(at)) emit OnClick();
}

void BarcodeWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
    mousePressEvent(Event);
    if (Event->button() == Qt::LeftButton) emit OnDblClick();
}

void BarcodeWidget::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint at = Event->position().toPoint();
    emit OnMouseMove(at.x(), at.y());
}

void BarcodeWidget::publishChanges() {
    const auto properties = zorvikProperties();
    const QMetaObject* meta = metaObject();
    bool any = false;
    for (size_t i = 0; i < properties.size(); ++i) {
        if (properties[i].type == PropertyType::Event) continue;
        std::string now = properties[i].format(*m_control);
        if (now == m_snapshot[i]) continue;
        m_snapshot[i] = std::move(now);
        any = true;
        const int index = meta->indexOfProperty(qtPropertyName(properties[i].path).constData());
        if (index >= 0) meta->property(index).notifySignal().invoke(this);
    }
    if (any) emit propertiesChanged();
}

void BarcodeWidget::report(const std::string& Text, const std::string& Caption) {
    // Settling paints and exposures repeat a message; it is shown once until
    // the settings change.
    if (!m_shown.insert(Text).second) return;
    m_pending.emplace_back(Text, Caption);
}

void BarcodeWidget::showMessages() {
    while (!m_pending.empty()) {
        const auto [text, caption] = m_pending.front();
        m_pending.erase(m_pending.begin());
        emit messageRaised(QString::fromStdString(text));
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

}  // namespace zorvik
