// SPDX-License-Identifier: GPL-3.0-or-later
// Linked against the real HID library and run with the simulated unit
// preloaded (tools/run-with-sim.sh): proves the preload takes over, the
// AMPORA_SIM_* set-up, the trace file and the control FIFO.
#include <hidapi.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static int passed;
static int failed;

static void check(int ok, const char* what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        fprintf(stderr, "FAIL: %s\n", what);
    }
}

static void sleepMs(int ms)
{
    struct timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, NULL);
}

static void sendText(hid_device* dev, const char* text)
{
    unsigned char report[65] = {0x07, (unsigned char)strlen(text)};
    memcpy(report + 2, text, strlen(text));
    hid_write(dev, report, sizeof report);
}

// Asks for the output state until the answer is the wanted one.
static int waitForPower(hid_device* dev, const char* wanted)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char answer[64] = {0};
        sendText(dev, "POWER\n");
        if (hid_read_timeout(dev, answer, sizeof answer, 1000) > 0 && memcmp(answer + 2, wanted, strlen(wanted)) == 0)
            return 1;
        sleepMs(50);
    }
    return 0;
}

static int waitForUnplug(hid_device* dev)
{
    unsigned char answer[64];
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (hid_read_timeout(dev, answer, sizeof answer, 50) < 0)
            return 1;
    }
    return 0;
}

static void control(const char* path, const char* line)
{
    const int fd = open(path, O_WRONLY);
    check(fd >= 0, "the control FIFO opens");
    if (fd >= 0) {
        check(write(fd, line, strlen(line)) == (ssize_t)strlen(line), "the control FIFO takes a line");
        close(fd);
    }
}

static int fileHas(const char* path, const char* text)
{
    FILE* file = fopen(path, "r");
    char line[512];
    int found = 0;
    while (file && !found && fgets(line, sizeof line, file))
        found = strstr(line, text) != NULL;
    if (file)
        fclose(file);
    return found;
}

static void checkEnumeration(void)
{
    const char* expected[] = {"1234:5678 FOREIGN1", "0483:a1de 500300000042", "0483:a1de 999900000001"};
    struct hid_device_info* list = hid_enumerate(0, 0);
    int count = 0;
    for (struct hid_device_info* d = list; d; d = d->next, ++count) {
        char listed[64];
        snprintf(listed, sizeof listed, "%04x:%04x %ls", d->vendor_id, d->product_id, d->serial_number);
        check(count < 3 && strcmp(listed, expected[count]) == 0, "devices listed in the configured order");
    }
    check(count == 3, "three devices listed");
    hid_free_enumeration(list);
}

int main(void)
{
    const char* tracePath = getenv("AMPORA_SIM_TRACE");
    const char* controlPath = getenv("AMPORA_SIM_CONTROL");
    if (!tracePath || !controlPath) {
        fprintf(stderr, "AMPORA_SIM_TRACE and AMPORA_SIM_CONTROL must be set\n");
        return 2;
    }
    remove(tracePath);

    check(hid_init() == 0, "hid_init");
    checkEnumeration();
    hid_device* dev = hid_open(0x0483, 0xA1DE, L"500300000042");
    check(dev != NULL, "the unit opens");
    if (!dev)
        return 1;
    hid_set_nonblocking(dev, 1);

    check(waitForPower(dev, "OFF\r"), "the output starts off");
    unsigned char status[65] = {0x07, 0x40, 0x0C};
    hid_write(dev, status, sizeof status);
    check(hid_read_timeout(dev, status, 64, 2000) == 64 && status[20] == 0x02 && status[21] == 0x58,
          "a model 600 reports 600 W");

    control(controlPath, "output on\n");
    check(waitForPower(dev, "ON\r"), "the control FIFO switches the output on");
    control(controlPath, "unplug\n");
    check(waitForUnplug(dev), "the control FIFO unplugs the unit");
    hid_close(dev);
    hid_exit();

    check(fileHas(tracePath, "write text \"POWER\\n\""), "the trace has the writes");
    check(fileHas(tracePath, "event open 0483:a1de 500300000042"), "the trace has the open");
    check(fileHas(tracePath, "event control unplug"), "the trace has the control commands");
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
