#include "ScanWindow.h"

#include "CChildFrame.h"
#include "CMainFrame.h"
#include "CPolyvaneApp.h"
#include "formats/TimPicture.h"
#include "formats/TmdCodec.h"
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"
#include "texture/TimFiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace polyvane {

namespace {

constexpr int kThumbnail = 48;
constexpr int kHitRole = Qt::UserRole; // index of the hit in the report, on hit rows

QString SizeText(std::uint64_t bytes) {
    return QString::number(bytes) + QStringLiteral(" B");
}

QString Details(const gamedata::DetectedItem& item) {
    QString text;
    switch (gamedata::ScanFormats().KindOf(item.format)) {
    case gamedata::ScanTable::Kind::model:
        text = QStringLiteral("%1 objects, %2 primitives").arg(item.objects).arg(item.primitives);
        break;
    case gamedata::ScanTable::Kind::texture:
        text = QStringLiteral("%1 x %2, %3 bpp, colour-table rows: %4")
                   .arg(item.width)
                   .arg(item.height)
                   .arg(item.bpp)
                   .arg(item.cluts);
        break;
    case gamedata::ScanTable::Kind::other:
        break;
    }
    if (!item.complete)
        text += text.isEmpty() ? QStringLiteral("cut off") : QStringLiteral(", cut off");
    return text;
}

QColor FromColourRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

ScanWindow::ScanWindow(CPolyvaneApp& app, const QString& input, QWidget* parent)
    : QWidget(parent, Qt::Window), m_app(app) {
    setWindowTitle(QStringLiteral("Scan - ") + QFileInfo(input).fileName());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 560);

    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(QDir::toNativeSeparators(input), this);
    layout->addWidget(m_status);
    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_cancelButton);
    layout->addLayout(progressRow);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Show:"), this));
    m_filter = new QComboBox(this);
    // Every format the scan finds, each shown alone by the entry whose data is its place in the table.
    m_filter->addItem(QStringLiteral("Models and textures"), -1);
    const gamedata::ScanTable& formats = gamedata::ScanFormats();
    for (std::size_t f = 0; f < formats.Size(); ++f) {
        const auto format = static_cast<gamedata::ItemFormat>(f);
        const gamedata::ScanTable::Kind kind = formats.KindOf(format);
        const QString what = kind == gamedata::ScanTable::Kind::model     ? QStringLiteral("Models")
                             : kind == gamedata::ScanTable::Kind::texture ? QStringLiteral("Textures")
                                                                          : QStringLiteral("Found");
        m_filter->addItem(what +
                              QStringLiteral(" (%1)").arg(QString::fromStdString(formats.Entry(format).name)),
                          static_cast<int>(f));
    }
    filterRow->addWidget(m_filter);
    filterRow->addStretch(1);
    layout->addLayout(filterRow);

    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(4);
    m_tree->setHeaderLabels({QStringLiteral("File / offset"), QStringLiteral("Format"),
                             QStringLiteral("Size"), QStringLiteral("Details")});
    m_tree->setIconSize(QSize(kThumbnail, kThumbnail));
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(m_tree, 1);

    auto* buttons = new QHBoxLayout;
    auto* open = new QPushButton(QStringLiteral("Open"), this);
    auto* loadFile = new QPushButton(QStringLiteral("Load textures of this file"), this);
    auto* loadAll = new QPushButton(QStringLiteral("Load all textures"), this);
    auto* extract = new QPushButton(QStringLiteral("Extract..."), this);
    for (QPushButton* button : {open, loadFile, loadAll, extract})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] { ApplyFilter(); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    connect(open, &QPushButton::clicked, this, [this] { OpenSelected(); });
    connect(loadFile, &QPushButton::clicked, this, [this] { LoadTextures(false); });
    connect(loadAll, &QPushButton::clicked, this, [this] { LoadTextures(true); });
    connect(extract, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Extract into"));
        if (!folder.isEmpty())
            ExtractSelected(folder);
    });

    auto opened = gamedata::DiscImage::Open(QFile::encodeName(input).toStdString());
    if (!opened) {
        m_status->setText(QString::fromStdString(opened.error()));
        m_progress->setEnabled(false);
        m_cancelButton->setEnabled(false);
        m_finished = true;
        AfxMessageBox(opened.error());
        return;
    }
    m_image = std::move(opened.value());
    m_worker = std::thread([this] {
        gamedata::ScanOptions options;
        options.cancel = &m_cancel;
        options.progress = [this](std::uint64_t done, std::uint64_t total) {
            const int permille = total ? static_cast<int>(done * 1000 / total) : 1000;
            QMetaObject::invokeMethod(
                this, [this, permille] { m_progress->setValue(permille); }, Qt::QueuedConnection);
        };
        gamedata::ScanReport report = gamedata::Scan(*m_image, options);
        QMetaObject::invokeMethod(
            this,
            [this, moved = std::make_shared<gamedata::ScanReport>(std::move(report))] {
                m_report = std::move(*moved);
                Finished();
            },
            Qt::QueuedConnection);
    });
}

ScanWindow::~ScanWindow() {
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void ScanWindow::WaitForScan() {
    if (m_worker.joinable())
        m_worker.join();
    QCoreApplication::sendPostedEvents(this);
}

void ScanWindow::Cancel() {
    m_cancel = true;
    m_cancelButton->setEnabled(false);
}

void ScanWindow::Finished() {
    m_finished = true;
    m_cancelButton->setEnabled(false);
    m_progress->setValue(1000);
    std::size_t models = 0;
    std::size_t textures = 0;
    for (const auto& hit : m_report.hits) {
        const gamedata::ScanTable::Kind kind = gamedata::ScanFormats().KindOf(hit.item.format);
        models += kind == gamedata::ScanTable::Kind::model ? 1 : 0;
        textures += kind == gamedata::ScanTable::Kind::texture ? 1 : 0;
    }
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    m_status->setText(QStringLiteral("%1%2: %3, %4 in %5 bytes")
                          .arg(QDir::toNativeSeparators(QString::fromStdString(m_image->Path())))
                          .arg(m_report.cancelled ? QStringLiteral(" (cancelled)") : QString())
                          .arg(count(models, "model", "models"))
                          .arg(count(textures, "texture", "textures"))
                          .arg(m_report.bytesScanned));
    Populate();
}

void ScanWindow::Populate() {
    m_tree->clear();
    std::map<std::string, QTreeWidgetItem*> files;
    for (std::size_t i = 0; i < m_report.hits.size(); ++i) {
        const gamedata::ScanHit& hit = m_report.hits[i];
        const std::string key = hit.file.value_or(std::string());
        QTreeWidgetItem*& parent = files[key];
        if (!parent) {
            parent = new QTreeWidgetItem(m_tree);
            parent->setText(0, hit.file ? QString::fromStdString(*hit.file)
                                        : QFileInfo(QString::fromStdString(m_image->Path())).fileName() +
                                              QStringLiteral(" (outside files)"));
            parent->setExpanded(true);
        }
        auto* row = new QTreeWidgetItem(parent);
        row->setText(0, QStringLiteral("@0x") + QString::number(hit.offset, 16).toUpper());
        row->setText(1, QString::fromUtf8(gamedata::ScanFormats().Name(hit.item.format)).toUpper());
        row->setText(2, SizeText(hit.item.size));
        row->setText(3, Details(hit.item));
        row->setData(0, kHitRole, QVariant::fromValue<qulonglong>(i));
        row->setIcon(0, QIcon(Thumbnail(hit, HitBytes(hit))));
    }
    ApplyFilter();
}

void ScanWindow::ApplyFilter() {
    const int shown = m_filter->currentData().toInt();
    for (int f = 0; f < m_tree->topLevelItemCount(); ++f) {
        QTreeWidgetItem* file = m_tree->topLevelItem(f);
        int visible = 0;
        for (int c = 0; c < file->childCount(); ++c) {
            QTreeWidgetItem* row = file->child(c);
            const auto& hit = m_report.hits[row->data(0, kHitRole).toULongLong()];
            const bool show = shown < 0 || shown == hit.item.format;
            row->setHidden(!show);
            visible += show ? 1 : 0;
        }
        file->setHidden(visible == 0);
    }
}

std::vector<std::uint8_t> ScanWindow::HitBytes(const gamedata::ScanHit& hit) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(hit.item.size));
    const auto place = m_image->Resolve(hit.file);
    bytes.resize(place ? place->image->Read(place->file, hit.offset, bytes) : 0);
    return bytes;
}

QPixmap ScanWindow::Thumbnail(const gamedata::ScanHit& hit, const std::vector<std::uint8_t>& bytes) const {
    // Drawn at the screen's pixel density, so that a scaled desktop shows it sharp.
    const qreal ratio = devicePixelRatioF();
    const int side = static_cast<int>(std::lround(kThumbnail * ratio));
    QImage thumb(side, side, QImage::Format_RGB32);
    thumb.setDevicePixelRatio(ratio);
    thumb.fill(QColor(48, 48, 56));
    if (!hit.item.complete)
        return QPixmap::fromImage(thumb);
    const FileFormat& entry = gamedata::ScanFormats().Entry(hit.item.format);
    if (entry.readTexture) {
        auto tim = entry.readTexture(bytes);
        if (!tim)
            return QPixmap::fromImage(thumb);
        const TimPicture picture = MakeTimPicture(*tim);
        QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height), QImage::Format_RGB32);
        for (std::uint32_t y = 0; y < picture.height; ++y)
            for (std::uint32_t x = 0; x < picture.width; ++x)
                image.setPixelColor(static_cast<int>(x), static_cast<int>(y),
                                    FromColourRef(picture.At(x, y)));
        if (image.isNull())
            return QPixmap::fromImage(thumb);
        QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation);
        scaled.setDevicePixelRatio(ratio);
        return QPixmap::fromImage(scaled);
    }
    // A model: its polygons turned a little to show three sides, farthest first, flat in their own
    // colours shaded by how squarely they face the viewer.
    if (!entry.readModel)
        return QPixmap::fromImage(thumb);
    auto read = entry.readModel(bytes, {});
    if (!read)
        return QPixmap::fromImage(thumb);
    const TmdModel* model = &read->model;
    struct Face {
        QPolygonF polygon;
        double depth;
        QColor colour;
    };
    constexpr double kYaw = 0.6;
    constexpr double kPitch = 0.45;
    const auto turn = [&](double x, double y, double z) {
        const double x1 = x * std::cos(kYaw) + z * std::sin(kYaw);
        const double z1 = -x * std::sin(kYaw) + z * std::cos(kYaw);
        return std::array<double, 3>{x1, y * std::cos(kPitch) - z1 * std::sin(kPitch),
                                     y * std::sin(kPitch) + z1 * std::cos(kPitch)};
    };
    std::vector<Face> faces;
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const auto& object : model->objects)
        for (const WorkPrimitive& p : object.Records()) {
            const int n = (p.attr & PA_QUAD) ? 4 : 3;
            // Quads are stored in strip order: 0 1 3 2 goes round the edge.
            static constexpr int kRound[2][4] = {{0, 1, 2, 0}, {0, 1, 3, 2}};
            std::array<std::array<double, 3>, 4> turned{};
            for (int k = 0; k < n; ++k)
                turned[static_cast<std::size_t>(k)] = turn(p.x[k], p.y[k], p.z[k]);
            const auto edge = [&](int a, int b, int axis) {
                return turned[static_cast<std::size_t>(b)][static_cast<std::size_t>(axis)] -
                       turned[static_cast<std::size_t>(a)][static_cast<std::size_t>(axis)];
            };
            const double nx = edge(0, 1, 1) * edge(0, 2, 2) - edge(0, 1, 2) * edge(0, 2, 1);
            const double ny = edge(0, 1, 2) * edge(0, 2, 0) - edge(0, 1, 0) * edge(0, 2, 2);
            const double nz = edge(0, 1, 0) * edge(0, 2, 1) - edge(0, 1, 1) * edge(0, 2, 0);
            const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
            const double light = 0.4 + 0.6 * (length > 0 ? std::abs(nz) / length : 1.0);
            const QColor base = (p.attr & PA_TEXTURED) ? QColor(190, 190, 200) : FromColourRef(p.colour[0]);
            Face face{{},
                      0,
                      QColor::fromRgbF(static_cast<float>(base.redF() * light),
                                       static_cast<float>(base.greenF() * light),
                                       static_cast<float>(base.blueF() * light))};
            for (int k = 0; k < n; ++k) {
                const auto& v = turned[static_cast<std::size_t>(kRound[n == 4][k])];
                face.polygon << QPointF(v[0], v[1]);
                face.depth += v[2] / n;
                minX = std::min(minX, v[0]);
                maxX = std::max(maxX, v[0]);
                minY = std::min(minY, v[1]);
                maxY = std::max(maxY, v[1]);
            }
            faces.push_back(std::move(face));
        }
    std::sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.depth > b.depth; });
    const double span = std::max({maxX - minX, maxY - minY, 1.0});
    const double scale = (kThumbnail - 4) / span;
    QPainter painter(&thumb);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kThumbnail / 2.0, kThumbnail / 2.0);
    painter.scale(scale, scale);
    painter.translate(-(minX + maxX) / 2, -(minY + maxY) / 2);
    painter.setPen(Qt::NoPen);
    for (const Face& face : faces) {
        painter.setBrush(face.colour);
        painter.drawPolygon(face.polygon);
    }
    painter.end();
    return QPixmap::fromImage(thumb);
}

std::vector<const gamedata::ScanHit*> ScanWindow::SelectedHits() const {
    std::vector<const gamedata::ScanHit*> hits;
    for (QTreeWidgetItem* row : m_tree->selectedItems()) {
        const QVariant index = row->data(0, kHitRole);
        if (index.isValid())
            hits.push_back(&m_report.hits[index.toULongLong()]);
    }
    return hits;
}

void ScanWindow::OpenSelected() {
    for (const gamedata::ScanHit* hit : SelectedHits()) {
        const QString address =
            QString::fromStdString(gamedata::FormatAddress(gamedata::HitAddress(*m_image, *hit)));
        m_app.OpenDocumentFile(address);
    }
}

int ScanWindow::LoadTextures(bool wholeImage) {
    CChildFrame* frame = m_app.MainFrame() ? m_app.MainFrame()->ActiveChildFrame() : nullptr;
    if (!frame) {
        AfxMessageBox("Open a model first: the textures join the active model's");
        return 0;
    }
    const std::vector<const gamedata::ScanHit*> selected = SelectedHits();
    if (!wholeImage && selected.empty())
        return 0;
    CPolyvaneDoc& doc = frame->GetDocument();
    int added = 0;
    for (const gamedata::ScanHit& hit : m_report.hits) {
        if (gamedata::ScanFormats().KindOf(hit.item.format) != gamedata::ScanTable::Kind::texture ||
            !hit.item.complete)
            continue;
        if (!wholeImage && hit.file != selected.front()->file)
            continue;
        TimImage tim;
        tim.fileName = gamedata::FormatAddress(gamedata::HitAddress(*m_image, hit));
        if (!LoadTimFromBytes(tim, HitBytes(hit)))
            continue;
        doc.AddTexture(std::move(tim));
        ++added;
    }
    doc.UpdateAllViews(nullptr, 0, nullptr);
    return added;
}

int ScanWindow::ExtractSelected(const QString& folder) {
    int written = 0;
    for (const gamedata::ScanHit* hit : SelectedHits()) {
        if (!hit->item.complete)
            continue;
        const QString name = QString::fromStdString(gamedata::ExtractName(*m_image, *hit));
        const QString target = QDir(folder).filePath(name);
        QDir().mkpath(QFileInfo(target).path());
        QFile out(target);
        const std::vector<std::uint8_t> bytes = HitBytes(*hit);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            AfxMessageBox("Could not write " + target.toStdString());
            continue;
        }
        ++written;
    }
    return written;
}

} // namespace polyvane
