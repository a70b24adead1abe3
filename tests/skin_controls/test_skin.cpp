#include "tests/skin_controls/test_skin.h"

#include "tests/skin/archive_builder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

namespace skin_ui_test {

QByteArray TestOptions(const QByteArray& extra)
{
    QByteArray text =
        "[GLOBALINFO]\r\nVERSION=10\r\nMASTERBITMAP=MASTER.PNG\r\nCOLOR=16777215\r\nFONTCOLOR=4013373\r\n"
        "TITLEHEIGHT=24\r\nBORDERWIDTH=3\r\n"
        "[FORM]\r\nCOLOR=16777215\r\nFONTCOLOR=255\r\n"
        "[SPEEDBUTTON]\r\nSTATES=3\r\nUSESTATE2=1\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\nTRANSPARENCY2=100\r\n"
        "FONTCOLOR=0\r\nHOTFONTCOLOR=0\r\nHGSIZE=2\r\nHGCOL=16711680\r\n"
        "GLOW=1\r\nGLOWMARGIN=5\r\nGLOW0=^0040^0000^0070^0030^0008^0008^0008^0008^1^0^1^0\r\n"
        "BORDERSMASK=^0000^0000^0036^0012^0004^0004^0004^0004^3^0^5^0\r\n"
        "[TWOSTATE]\r\nPARENTCLASS=SPEEDBUTTON\r\nSTATES=2\r\n"
        "[BLACKBTN]\r\nSTATES=1\r\nCOLOR=0\r\n"
        "[GLASS]\r\nSTATES=1\r\nTRANSPARENCY=100\r\n"
        "[SLICE]\r\nSTATES=1\r\nTRANSPARENCY=100\r\nBORDERSMASK=^0000^0020^0012^0032^0004^0004^0004^0004^1^0^5^0\r\n"
        "[EDIT]\r\nSTATES=2\r\nCOLOR=16777215\r\nHOTCOLOR=16777215\r\n"
        "BORDERSMASK=^0000^0040^0024^0052^0003^0003^0003^0003^2^0^1^0\r\n";
    return text + extra;
}

QByteArray TestMaster()
{
    QImage master(80, 60, QImage::Format_RGB32);
    master.fill(QColor(255, 0, 255));
    QPainter p(&master);
    const QColor columns[] = {kColumn0, kColumn1, kColumn2};
    for (int i = 0; i < 3; ++i)
        p.fillRect(i * 12, 0, 12, 12, columns[i]);          // speed button states
    for (int i = 0; i < 3; ++i)
        p.fillRect(i * 4, 20, 4, 12, columns[i]);           // slice: left, middle, right
    for (int i = 0; i < 2; ++i)
        p.fillRect(i * 12, 40, 12, 12, columns[i]);         // edit states
    p.fillRect(40, 0, 30, 30, QColor(255, 200, 0));         // glow
    p.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    master.save(&buffer, "PNG");
    return data;
}

QString WriteFolderSkin(const QString& dir, const QString& name, const QByteArray& extra)
{
    const QString folder = dir + u'/' + name + u'/';
    QDir().mkpath(folder);
    QFile options(folder + "Options.dat");
    options.open(QIODevice::WriteOnly);
    options.write(TestOptions(extra));
    QFile master(folder + "MASTER.PNG");
    master.open(QIODevice::WriteOnly);
    master.write(TestMaster());
    return folder;
}

QByteArray PackedTestSkin(const QByteArray& extra)
{
    skin_test::ArchiveSpec desc;
    desc.entries.push_back({"OPTIONS.DAT", TestOptions(extra)});
    desc.entries.push_back({"MASTER.PNG", TestMaster()});
    return skin_test::BuildArchive(desc);
}

} // namespace skin_ui_test
