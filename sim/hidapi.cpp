// SPDX-License-Identifier: GPL-3.0-or-later
// The HID library's C interface over the simulated bus, so the product's
// code runs unchanged against the simulated unit.
#include "sim/bus.h"
#include "sim/device.h"

#include <hidapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

struct hid_device_
{
    std::shared_ptr<sim::Device> device;
    uint64_t connection = 0;
    bool nonblocking = false;
    std::string id;   // "vid:pid serial" as opened, for the bus events
    sim::Listing listing;
    std::wstring serial;
    std::wstring manufacturer;
    std::wstring product;
    std::wstring error;
    hid_device_info info{};
};

namespace {

constexpr int kReportSize = 64;

thread_local std::wstring lastError;

std::wstring widened(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::string narrowed(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += char(*text);
    return out;
}

wchar_t* copyOf(const std::string& text)
{
    const std::wstring wide = widened(text);
    auto* copy = static_cast<wchar_t*>(std::calloc(wide.size() + 1, sizeof(wchar_t)));
    std::wmemcpy(copy, wide.data(), wide.size());
    return copy;
}

std::string ids(unsigned short vendorId, unsigned short productId)
{
    char text[12];
    std::snprintf(text, sizeof text, "%04x:%04x", vendorId, productId);
    return text;
}

int fail(hid_device* dev, const wchar_t* text)
{
    (dev ? dev->error : lastError) = text;
    return -1;
}

int copyString(hid_device* dev, const std::wstring& text, wchar_t* string, size_t maxlen)
{
    if (!dev || !string || maxlen == 0)
        return fail(dev, L"Invalid argument");
    std::wcsncpy(string, text.c_str(), maxlen);
    string[maxlen - 1] = L'\0';
    return 0;
}

hid_device* openDevice(const std::shared_ptr<sim::Device>& device, const sim::Listing& listing)
{
    sim::Bus& bus = sim::Bus::instance();
    const std::string id = ids(listing.vendorId, listing.productId) + " " + listing.serial;
    if (bus.openDenied()) {
        bus.event("open-denied " + id);
        lastError = L"Permission denied (no access to the device node)";
        return nullptr;
    }
    const uint64_t connection = device->open();
    if (connection == 0) {
        bus.event("open-failed " + id);
        lastError = L"Device disappeared while opening";
        return nullptr;
    }
    auto* dev = new hid_device_;
    dev->device = device;
    dev->connection = connection;
    dev->id = id;
    dev->listing = listing;
    dev->serial = widened(listing.serial);
    dev->manufacturer = widened(listing.manufacturer);
    dev->product = widened(listing.product);
    dev->info.path = dev->listing.path.data();
    dev->info.vendor_id = listing.vendorId;
    dev->info.product_id = listing.productId;
    dev->info.serial_number = dev->serial.data();
    dev->info.manufacturer_string = dev->manufacturer.data();
    dev->info.product_string = dev->product.data();
    dev->info.bus_type = HID_API_BUS_USB;
    bus.event("open " + id);
    lastError.clear();
    return dev;
}

template<typename Match>
hid_device* openFirst(const std::string& wanted, Match match)
{
    for (const auto& device : sim::Bus::instance().devices()) {
        sim::Listing listing;
        if (device->listing(listing) && match(listing))
            return openDevice(device, listing);
    }
    sim::Bus::instance().event("open-failed " + wanted);
    lastError = L"No matching HID device";
    return nullptr;
}

} // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void)
{
    sim::Bus::instance();
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void)
{
    return 0;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    sim::Bus& bus = sim::Bus::instance();
    bus.event("enumerate " + ids(vendor_id, product_id));
    hid_device_info* first = nullptr;
    hid_device_info** next = &first;
    for (const auto& device : bus.devices()) {
        sim::Listing listing;
        if (!device->listing(listing) || (vendor_id && vendor_id != listing.vendorId)
            || (product_id && product_id != listing.productId))
            continue;
        auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        info->path = strdup(listing.path.c_str());
        info->vendor_id = listing.vendorId;
        info->product_id = listing.productId;
        info->serial_number = copyOf(listing.serial);
        info->release_number = 0x0100;
        info->manufacturer_string = copyOf(listing.manufacturer);
        info->product_string = copyOf(listing.product);
        info->bus_type = HID_API_BUS_USB;
        *next = info;
        next = &info->next;
    }
    return first;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs)
{
    while (devs) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open(unsigned short vendor_id, unsigned short product_id,
                                                 const wchar_t* serial_number)
{
    const std::string serial = narrowed(serial_number);
    return openFirst(ids(vendor_id, product_id) + " " + serial, [&](const sim::Listing& listing) {
        return listing.vendorId == vendor_id && listing.productId == product_id
               && (!serial_number || listing.serial == serial);
    });
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path)
{
    const std::string wanted = path ? path : "";
    return openFirst(wanted, [&](const sim::Listing& listing) { return listing.path == wanted; });
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    if (!dev || !data || length == 0)
        return fail(dev, L"Invalid argument");
    const int written = dev->device->write(dev->connection, data, length);
    return written < 0 ? fail(dev, L"The device has been disconnected") : written;
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds)
{
    if (!dev || !data)
        return fail(dev, L"Invalid argument");
    const int count = dev->device->read(dev->connection, data, length, milliseconds);
    return count < 0 ? fail(dev, L"The device has been disconnected") : count;
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    if (!dev)
        return fail(dev, L"Invalid argument");
    return hid_read_timeout(dev, data, length, dev->nonblocking ? 0 : -1);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device* dev, int nonblock)
{
    if (!dev)
        return fail(dev, L"Invalid argument");
    dev->nonblocking = nonblock != 0;
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_send_feature_report(hid_device* dev, const unsigned char*, size_t)
{
    return fail(dev, L"Feature reports are not supported by this device");
}

int HID_API_EXPORT HID_API_CALL hid_get_feature_report(hid_device* dev, unsigned char*, size_t)
{
    return fail(dev, L"Feature reports are not supported by this device");
}

int HID_API_EXPORT HID_API_CALL hid_get_input_report(hid_device* dev, unsigned char*, size_t)
{
    return fail(dev, L"Input reports are only sent on the interrupt endpoint");
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev)
{
    if (!dev)
        return;
    dev->device->close(dev->connection);
    sim::Bus::instance().event("close " + dev->id);
    delete dev;
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return copyString(dev, dev ? dev->manufacturer : std::wstring(), string, maxlen);
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return copyString(dev, dev ? dev->product : std::wstring(), string, maxlen);
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return copyString(dev, dev ? dev->serial : std::wstring(), string, maxlen);
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_get_device_info(hid_device* dev)
{
    return dev ? &dev->info : nullptr;
}

int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device* dev, int, wchar_t*, size_t)
{
    return fail(dev, L"Indexed strings are not supported by this device");
}

HID_API_EXPORT const wchar_t* HID_API_CALL hid_error(hid_device* dev)
{
    const std::wstring& text = dev ? dev->error : lastError;
    return text.empty() ? L"Success" : text.c_str();
}

HID_API_EXPORT const struct hid_api_version* HID_API_CALL hid_version(void)
{
    static const hid_api_version version{HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR, HID_API_VERSION_PATCH};
    return &version;
}

HID_API_EXPORT const char* HID_API_CALL hid_version_str(void)
{
    return HID_API_VERSION_STR;
}

} // extern "C"
