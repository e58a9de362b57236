// Picture controls: the image named in the resource, an SVG file beside the resource
// ("logo" is logo.svg), scaled to the control with its proportions kept. An image that
// cannot be found or read leaves the control empty and is named once on stderr.
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

#include <cstdio>
#include <set>
#include <string>

#include "platform/ui/resource.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

std::string ImageFile(const std::string &image)
{
    bool hasExtension = image.find('.') != std::string::npos;
    return ResolveResourcePath(hasExtension ? image : image + ".svg");
}

void ReportOnce(const std::string &path)
{
    static std::set<std::string> reported;
    if (reported.insert(path).second)
        std::fprintf(stderr, "picture \"%s\" cannot be read; the control stays empty\n",
                     path.c_str());
}

class Picture : public QWidget {
public:
    Picture(const std::string &path, QWidget *parent)
        : QWidget(parent), renderer_(QString::fromStdString(path), this)
    {
        if (!renderer_.isValid()) ReportOnce(path);
        setProperty(kPictureProperty, true);
    }
    QSize sizeHint() const override { return {120, 72}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!renderer_.isValid()) return;
        QPainter p(this);
        QSizeF size = renderer_.defaultSize();
        size.scale(width(), height(), Qt::KeepAspectRatio);
        QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2,
                      size.width(), size.height());
        renderer_.render(&p, target);
    }

private:
    QSvgRenderer renderer_;
};

}  // namespace

QWidget *NewPicture(const std::string &image, QWidget *parent)
{
    return new Picture(ImageFile(image), parent);
}

}  // namespace platform::qt
