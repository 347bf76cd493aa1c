#pragma once
// Reads PNG pictures without waking every image plug-in. Qt's image reader, when a file's
// format is left for it to find, first asks each installed image plug-in (a dozen libraries:
// TIFF, WebP, JPEG, MNG, SVG and theirs are loaded) whether it can read the picture, and only
// then uses its own PNG reader. The program's pictures are all PNG files: a plug-in of our own
// that claims the "png" suffix is asked first and hands the reading to Qt's PNG reader.
namespace KorvantaImages {

// Registers the reader with Qt's plug-in loader; call once before the first picture is read.
void InstallPngReader();

} // namespace KorvantaImages
