// The reminder pictures: the picture collection that the calendar, the alarm
// windows and the add/modify dialog draw from, and the built-in pictures the
// program file carries.
#pragma once

#include "classlib/ImgList.h"

// Number of built-in pictures (resources PICTURE0 to PICTURE9).
constexpr int kBuiltInPictureCount = 10;

// The picture collection: the list installed by SetPictureCollection (the
// add/modify dialog's), or else a list of the built-in pictures made when first
// asked for.
TImageList* PictureCollection();
// Whether a list was installed: the add/modify dialog's (or a test's), so that
// the pictures a reminder may use are known.
bool IsPictureCollectionInstalled();
// Installs the list that serves as the picture collection (not owned); nullptr
// returns to the built-in list. Whoever installs a list takes it out again
// before deleting it.
void SetPictureCollection(TImageList* list);
// Gives a list the pictures' form (32 x 32, unmasked, growing by one) and adds
// the built-in pictures from the program file; a missing one is skipped.
// Returns how many were added.
int LoadBuiltInPictures(TImageList* list);
