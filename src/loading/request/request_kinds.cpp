#include "loading/request/request_kinds.h"

const RequestKind* findRequestKind(LoadKind kind)
{
    switch (kind) {
    case LoadKind::Model:
        return &kModelRequest;
    case LoadKind::Image:
        return &kImageRequest;
    }
    return nullptr;
}

const RequestKind& requestKind(LoadKind kind)
{
    return *findRequestKind(kind);
}
