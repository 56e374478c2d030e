// SPDX-License-Identifier: GPL-3.0-or-later
#include "APEDecompress.h"

#include "MACDllBinding.h"

namespace au {

TAPEDecompress::TAPEDecompress(const std::string& FileName) : FFileName(FileName)
{
    int Error = 0;
    FHandle = MACDllLibrary().Create(FFileName.c_str(), &Error);
    FLastError = Error;
    if (Error != 0) {
        // A handle that came with a failure code is not used.
        if (FHandle != nullptr && MACDllLibrary().Destroy.Present())
            MACDllLibrary().Destroy(FHandle);
        throw EAPEException(Error);
    }
}

TAPEDecompress::~TAPEDecompress()
{
    // A component without the entry point keeps the handle rather than end the program.
    if (FHandle != nullptr && MACDllLibrary().Destroy.Present())
        MACDllLibrary().Destroy(FHandle);
}

void TAPEDecompress::GetData(uint8_t* Buffer, int32_t Blocks, int32_t* Retrieved)
{
    *Retrieved = 0;
    if (FHandle != nullptr)
        MACDllLibrary().GetData(FHandle, reinterpret_cast<char*>(Buffer), Blocks, Retrieved);
}

int32_t TAPEDecompress::GetInfo(int32_t Field)
{
    return FHandle != nullptr ? MACDllLibrary().GetInfo(FHandle, Field, 0, 0) : 0;
}

void TAPEDecompress::Seek(int32_t Block)
{
    if (FHandle != nullptr)
        MACDllLibrary().Seek(FHandle, Block);
}

} // namespace au
