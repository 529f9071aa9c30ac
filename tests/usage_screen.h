// The usage screen as the tool writes it, byte for byte (CR LF line ends).
#pragma once

#include <string>

namespace tornvale {

inline const std::string kUsageScreen =
    "\r\nTornvale by Ambrell\r\n\r\n"
    "Syntax:\r\n"
    "=======\r\n\r\n"
    "Tornvale.exe <Reg-Path> [-v]\r\n\r\n"
    "Description:\r\n"
    "============\r\n\r\n"
    "Recursively searches the registry for links (of type REG_LINK) below a given key. Each link "
    "found is displayed with its source and target keys.\r\n\r\n"
    "The following registry hives are supported: HKLM and HKU. The option '-v' enables output of "
    "keys that could not be processed because access was denied.\r\n\r\n"
    "Example:\r\n"
    "========\r\n\r\n"
    "Tornvale.exe HKLM\\System\r\n\r\n"
    "Return codes:\r\n"
    "=============\r\n\r\n"
    "0: Successful execution\r\n"
    "1: The help screen was printed, maybe because of invalid command line arguments\r\n"
    "2: An error occured\r\n";

}  // namespace tornvale
