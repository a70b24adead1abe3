// The icon built into the program: every hicolor size rendered from the
// master, and carried by the windows and message boxes of the application.
#include "desktop/app_identity.h"
#include "runtime/message_box.h"

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

TEST(AppIdentity, IconHoldsEveryHicolorSizeAsDrawn)
{
    const QIcon icon = desktop::AppIcon();
    const QList<QSize> available = icon.availableSizes();
    ASSERT_EQ(available.size(), static_cast<qsizetype>(std::size(kSizes)));
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(available.contains(QSize(size, size)));
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // A rounded square: clear corners, the dial's face in between.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 8)), 255);
    }
}

TEST(AppIdentity, WindowsAndMessageBoxesCarryTheIcon)
{
    desktop::ApplyIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), desktop::AppId());
    const qint64 key = QApplication::windowIcon().cacheKey();
    ASSERT_FALSE(QApplication::windowIcon().isNull());

    QWidget window;
    window.show();
    EXPECT_EQ(window.windowIcon().cacheKey(), key);

    // Sizes of each box's icon, read while it shows.
    std::vector<qsizetype> boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            boxes.push_back(box->windowIcon().availableSizes().size());
            box->close();
        }
    });
    closer.start(5);
    runtime::ShowMessageBox("text", "Fluxmira", runtime::BoxIcon::Information, &window);
    runtime::ShowErrorReport("an error");
    const auto all = static_cast<qsizetype>(std::size(kSizes));
    EXPECT_EQ(boxes, (std::vector<qsizetype>{all, all}));
}

} // namespace
