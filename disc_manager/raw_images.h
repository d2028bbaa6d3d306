// The tree's three 16x16 images: 0 disc, 1 track, 2 sector.
#pragma once

#include <QIcon>
#include <QList>

QList<QIcon> MakeRawImages();
