#include "process/ShellZipExtraction.h"

#include <shldisp.h>

#include "win32/ComPtr.h"

namespace {

// Shell.Application and its dispatch interface.
const CLSID kClsidShell = {
    0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIidShellDispatch = {
    0xD8F015C0, 0xC278, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI: no
// progress, no questions, no error boxes.
const LONG kCopyOptions = 1556;

VARIANT TextVariant(BSTR text) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;  // borrowed: the caller owns the string
    return value;
}

}  // namespace

bool ExtractZipWithShell(BSTR zip, BSTR destination) {
    // Declared first, so that every interface below is released before COM
    // is uninitialised.
    win32::ComInitialization com;

    win32::ComPtr<IShellDispatch> shell;
    if (FAILED(::CoCreateInstance(kClsidShell, nullptr, CLSCTX_INPROC_SERVER, kIidShellDispatch,
                                  shell.receiveVoid())) ||
        !shell) {
        return false;
    }
    win32::ComPtr<Folder> source;
    if (FAILED(shell->NameSpace(TextVariant(zip), source.receive())) || !source) {
        return false;
    }
    win32::ComPtr<Folder> target;
    if (FAILED(shell->NameSpace(TextVariant(destination), target.receive())) || !target) {
        return false;
    }
    win32::ComPtr<FolderItems> items;
    if (FAILED(source->Items(items.receive())) || !items) {
        return false;
    }
    LONG count = 0;
    if (FAILED(items->get_Count(&count)) || count < 1) {
        return false;
    }
    win32::ComPtr<IDispatch> dispatch;
    if (FAILED(items->QueryInterface(IID_IDispatch, dispatch.receiveVoid())) || !dispatch) {
        return false;
    }
    VARIANT what;
    ::VariantInit(&what);
    what.vt = VT_DISPATCH;
    what.pdispVal = dispatch.get();  // borrowed from the owner above
    VARIANT options;
    ::VariantInit(&options);
    options.vt = VT_I4;
    options.lVal = kCopyOptions;
    return target->CopyHere(what, options) == S_OK;
}
