#pragma once
// Point markers (filled circles of radius 3) written straight into the frame
// image: a point line of hundreds of thousands of points puts many markers on
// the same or neighbouring pixels, so centres are gathered per pixel column
// and each run of them is written as one vertical stroke per marker column.
#include "GrShapes.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <vector>

void TGrStampMarkers(QImage& image, const QRect& clip, const std::vector<GrPixel>& markers, const QColor& color);

// Segments of a line two pixels wide, in one colour, written straight into
// the frame image and clipped to clip.
void TGrStampSegments(QImage& image, const QRect& clip, const std::vector<GrSegment>& segments, const QColor& color);
