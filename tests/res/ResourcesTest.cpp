#include "Resources.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct PngHeader {
    quint32 width = 0;
    quint32 height = 0;
    int bitDepth = -1;
    int colourType = -1;
};

// Reads the IHDR chunk as stored, so the test sees the file's real pixel format and not the
// format QImage happens to convert it to on loading.
bool readPngHeader(const QString& path, PngHeader& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(26);
    if (head.size() != 26 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR")
        return false;
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    out.width = qFromBigEndian<quint32>(bytes + 16);
    out.height = qFromBigEndian<quint32>(bytes + 20);
    out.bitDepth = bytes[24];
    out.colourType = bytes[25];
    return true;
}

TEST(Resources, PanelPictureIsTheFullPanelIn24BitColour) {
    // Linking rv_res must be enough: a static library whose resources are dropped fails here.
    const QImage picture(":/res/panel.png");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(1019, 573));
    EXPECT_FALSE(picture.hasAlphaChannel());

    PngHeader header;
    ASSERT_TRUE(readPngHeader(":/res/panel.png", header));
    EXPECT_EQ(header.width, 1019u);
    EXPECT_EQ(header.height, 573u);
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.colourType, 2) << "expected truecolour without alpha";

    // A picture rendered from a broken drawing comes out as one flat colour.
    const QImage small = picture.scaled(32, 18);
    QSet<QRgb> colours;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) colours.insert(small.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
}

TEST(Resources, IconImagesHaveTheirSizesAndAShape) {
    rv_initResources();  // a second registration must do no harm
    for (const int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const QImage icon(QString(":/res/icon-%1.png").arg(size));
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(size, size));
        // The motif stands on a transparent ground: corners clear, centre painted.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_GT(qAlpha(icon.pixel(size / 2, size / 2)), 0);
    }
}

}  // namespace
