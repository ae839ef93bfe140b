// Formats a value and splits a path through the installed library, printing what it got.
#include <OVSTools2.h>

#include <cstdio>

int main() {
    CString text;
    Tool_GenerateValueString(2.675, 3, text);
    CString folder, name, extension;
    Tool_SplitFullPath("C:\\Data\\System2\\run01.lcd", folder, name, extension);
    std::printf("%s|%s|%s|%s\n", text.GetString(), folder.GetString(), name.GetString(),
                extension.GetString());
    return 0;
}
