// A DLL that the Windows test build copies into a test's folder and loads, so
// that the copy is in use as Windows treats a loaded image.
extern "C" __declspec(dllexport) int LoadedImageMark()
{
    return 1;
}
