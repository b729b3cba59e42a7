// Who the program is: its product name and version, its maker, and the maker's web host and
// addresses, as captions, message boxes, the about box and the update check show and send them.
#pragma once

#define VERDAN_PRODUCT_NAME "Halcorn Verdan"
#define VERDAN_PRODUCT_VERSION "1.4"
#define VERDAN_MAKER_HOST "www.halcorn.com"

inline constexpr wchar_t ProductName[] = L"" VERDAN_PRODUCT_NAME;
inline constexpr wchar_t ProductVersion[] = L"" VERDAN_PRODUCT_VERSION;
inline constexpr wchar_t MakerName[] = L"Halcorn";
// The maker's web server: the host of the update check and of the addresses below.
inline constexpr char MakerHost[] = VERDAN_MAKER_HOST;
inline constexpr wchar_t MakerSiteHostText[] = L"" VERDAN_MAKER_HOST;
inline constexpr wchar_t MakerSiteUrl[] = L"http://" VERDAN_MAKER_HOST "/";
inline constexpr char ProductPageUrl[] = "http://" VERDAN_MAKER_HOST "/verdan/";
