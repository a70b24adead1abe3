// The cost of the skin on the main window:
//   start:   a fresh process to the first painted main window, skinned against
//            the same window without its skin (each run a new process, the
//            two kinds taken in turn so machine load hits both alike)
//   repaint: one synchronous repaint of the whole shown main window
//   hover:   the mouse entering the frequency box (its glow appears) and the
//            Zero button (its hot look and glow), each with the repaint of
//            the whole window that follows, then leaving again
//
//   bench_skin_paint [runs]           (QT_QPA_PLATFORM=offscreen by default)

#include "app/form1.h"
#include "runtime/application.h"
#include "skin/manager/hover_glow.h"

#include <QElapsedTimer>
#include <QEnterEvent>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Child: build and show the window, report once its first paint is done.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            QMetaObject::invokeMethod(qApp, [] {
                std::printf("painted\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            }, Qt::QueuedConnection);
        }
        return false;
    }
};

int child(int argc, char** argv, bool skinned)
{
    runtime::Application application(argc, argv);
    FirstPaint watch;
    application.installEventFilter(&watch);
    app::TForm1 form(nullptr, skinned);
    form.show();
    return application.exec();
}

// Milliseconds from starting a process to its "painted" line.
double startToPaint(const QString& self, const char* kind)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(self, {QStringLiteral("--child"), QString::fromLatin1(kind)});
    process.waitForReadyRead(20000);
    const double ms = timer.nsecsElapsed() / 1e6;
    process.waitForFinished(20000);
    return ms;
}

double repaintMs(bool skinned, int rounds)
{
    app::TForm1 form(nullptr, skinned);
    form.show();
    QCoreApplication::processEvents();
    for (int i = 0; i < 20; ++i)
        form.repaint();
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        form.repaint();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

void send(QWidget* control, bool enter)
{
    if (enter) {
        const QPointF local(control->width() / 2.0, control->height() / 2.0);
        QEnterEvent event(local, control->mapTo(control->window(), local), control->mapToGlobal(local));
        QCoreApplication::sendEvent(control, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(control, &event);
    }
}

// Median ms of the mouse entering (or leaving) Control plus the repaint of the window.
std::pair<double, double> hoverMs(app::TForm1& form, QWidget* control, int rounds)
{
    std::vector<double> in, out;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        send(control, true);
        form.repaint();
        in.push_back(timer.nsecsElapsed() / 1e6);
        if (!skin::TkHoverGlow::GlowOf(control))
            std::printf("no glow on %s\n", qPrintable(control->objectName()));
        timer.restart();
        send(control, false);
        form.repaint();
        out.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();  // deletes the glows that went away
    }
    return {median(in), median(out)};
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, std::strcmp(argv[2], "skinned") == 0);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    runtime::Application application(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();

    std::vector<double> skinned, plain;
    startToPaint(self, "plain");  // warm the file cache
    for (int i = 0; i < runs; ++i) {
        skinned.push_back(startToPaint(self, "skinned"));
        plain.push_back(startToPaint(self, "plain"));
    }
    const double s = median(skinned), p = median(plain);
    std::printf("start to first paint, median of %d: skinned %.1f ms, without skin %.1f ms, ratio %.2f (target <= 1.2)\n",
                runs, s, p, s / p);
    const double rs = repaintMs(true, 200), rp = repaintMs(false, 200);
    std::printf("repaint of the main window, median of 200: skinned %.3f ms, without skin %.3f ms (frame: 16 ms)\n",
                rs, rp);
    app::TForm1 form;
    form.show();
    QCoreApplication::processEvents();
    for (QWidget* control : {static_cast<QWidget*>(form.kEdit_Freq), static_cast<QWidget*>(form.Btn_Zero)}) {
        const auto [in, out] = hoverMs(form, control, 200);
        std::printf("hover %s with its glow and the window's repaint, median of 200: enter %.3f ms, leave %.3f ms "
                    "(frame: 16 ms)\n", qPrintable(control->objectName()), in, out);
    }
    return 0;
}
