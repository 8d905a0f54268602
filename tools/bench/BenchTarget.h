// One server as the benchmark drives it (the real one or the floor): a
// connection, a group with every item for reads, and the calls it times.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "OpcConnection.h"

class TBenchTarget {
public:
    // Connects to progId and adds a group with ids (active, at 1000 ms).
    TBenchTarget(const std::wstring& progId, const std::vector<std::wstring>& ids);

    IOPCServer* Server() const noexcept { return connection_.Server(); }
    const TOpcConnection& Connection() const noexcept { return connection_; }

    // One call each; the returned memory is freed after the clock stops.
    // Each returns its duration in milliseconds.
    double GetStatus();
    double ReadAll(OPCDATASOURCE source);
    double AddAllItems();  // into a group of its own; removed again untimed
    double WriteTexts(const std::vector<OPCHANDLE>& handles, const std::vector<std::wstring>& texts);

    // Server handles of the read group, in the order of the ids.
    const std::vector<OPCHANDLE>& Handles() const noexcept { return handles_; }
    // The current texts of all items, read from the device.
    std::vector<std::wstring> ReadTexts();

private:
    TOpcConnection connection_;
    TOpcGroup readGroup_;
    TOpcGroup addGroup_;
    std::vector<std::wstring> ids_;
    std::vector<OPCITEMDEF> defs_;
    std::vector<OPCHANDLE> handles_;
    ComPtr<IOPCSyncIO> io_;
};

// Writes the texts to the items (by ID) through a group of its own.
void WriteItems(const TOpcConnection& connection, const std::vector<std::wstring>& ids,
                const std::vector<std::wstring>& texts);

// Every item ID of the server, by flat browsing.
std::vector<std::wstring> BrowseAllItems(const TOpcConnection& connection);
