// The read-only attributes of a remote.
#ifndef QUORVEX_KVE_IREMOTEATTRIBUTES_H
#define QUORVEX_KVE_IREMOTEATTRIBUTES_H

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class IRemoteAttributes
{
public:
    virtual long getTokenId() = 0;
    virtual const char* getDevicePath() = 0;
    virtual long getVendorId() = 0;
    virtual long getProductId() = 0;
    virtual int getOutputReportLength() = 0;
    virtual int getInputReportLength() = 0;
    virtual long getBcdVersionNumber() = 0;

protected:
    ~IRemoteAttributes() {}
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
